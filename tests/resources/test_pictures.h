// Small JPEG files made on the spot with libjpeg's compressor, and scratch folders for
// the tests that read them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testpics {

struct Rgb {
  uint8_t r, g, b;
};

// Writes a baseline JPEG at quality 100 without chroma subsampling. `components` is 1
// (greyscale: the red value is used), 3 (RGB) or 4 (CMYK). `pixel(x, y)` gives the colour,
// y = 0 being the top row. False when the file cannot be written.
bool WriteJPEG(const std::string& path, int width, int height, int components,
               const std::function<Rgb(int x, int y)>& pixel);

std::vector<uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh folder under the system's temporary folder; removed with its contents on
// destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testpics
