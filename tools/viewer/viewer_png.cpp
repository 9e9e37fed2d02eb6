// PNG writing through stb_image_write, which needs no zlib: the Windows build has none.
#include "tools/viewer/viewer_png.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tools/viewer/stb_image_config.h"

namespace {

void Append(void* context, void* data, int size) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(context);
  const auto* first = static_cast<const uint8_t*>(data);
  bytes->insert(bytes->end(), first, first + size);
}

}  // namespace

bool WriteViewPng(const std::string& path, const uint8_t* rgb, int width, int height,
                  std::string* error) {
  std::vector<uint8_t> bytes;
  if (!stbi_write_png_to_func(Append, &bytes, width, height, 3, rgb, 3 * width)) {
    *error = "cannot encode the picture as PNG";
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::remove(path.c_str());  // a cut file would pass for a picture
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

std::string NextFreePngName(const std::string& stem) {
  std::error_code ec;
  for (int n = 1;; ++n) {
    const std::string name = stem + "-" + std::to_string(n) + ".png";
    if (!std::filesystem::exists(name, ec)) return name;  // an unreadable folder says so on writing
  }
}
