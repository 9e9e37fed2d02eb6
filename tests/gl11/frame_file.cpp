// PPM frame files.
#include "tests/gl11/frame_file.h"

#include <cstdio>
#include <memory>

namespace gl11test {

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

bool WriteFrame(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  if (rgb.size() != static_cast<size_t>(width) * height * 3) return false;
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  std::fprintf(file.get(), "P6\n%d %d\n255\n", width, height);
  if (std::fwrite(rgb.data(), 1, rgb.size(), file.get()) != rgb.size()) return false;
  return std::fclose(file.release()) == 0;
}

bool ReadFrame(const std::string& path, int width, int height, std::vector<uint8_t>* rgb) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  int w = 0, h = 0, maximum = 0;
  if (std::fscanf(file.get(), "P6 %d %d %d", &w, &h, &maximum) != 3) return false;
  if (w != width || h != height || maximum != 255 || std::fgetc(file.get()) == EOF) return false;
  rgb->assign(static_cast<size_t>(width) * height * 3, 0);
  return std::fread(rgb->data(), 1, rgb->size(), file.get()) == rgb->size();
}

}  // namespace gl11test
