// make-icon FOLDER NAME: paints the program's icon at each size of the freedesktop icon
// theme into FOLDER/SIZExSIZE/apps/NAME.png (FOLDER is a theme folder such as hicolor).
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/capture/png_writer.h"
#include "tools/make-pictures/pictures.h"

namespace {
// The sizes desktops look for first; each is painted at that size, not scaled.
constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-icon FOLDER NAME\n");
    return 2;
  }
  for (int size : kSizes) {
    const std::string side = std::to_string(size);
    const std::filesystem::path folder =
        std::filesystem::path(argv[1]) / (side + "x" + side) / "apps";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = (folder / (std::string(argv[2]) + ".png")).string();
    const std::vector<uint8_t> rgb = pictures::PaintIcon(size).ToRgb8();
    std::string error;
    if (!WritePng(path, rgb.data(), size, size, &error)) {
      std::fprintf(stderr, "make-icon: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
