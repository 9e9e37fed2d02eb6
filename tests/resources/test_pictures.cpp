// Small JPEG files for the tests, made with libjpeg's compressor.
#include "tests/resources/test_pictures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <jpeglib.h>

namespace testpics {

bool WriteJPEG(const std::string& path, int width, int height, int components,
               const std::function<Rgb(int x, int y)>& pixel) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  for (int c = 0; c < info.num_components; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(size_t(width) * components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(x, y);
      JSAMPLE* out = &row[size_t(x) * components];
      if (components == 1) {
        out[0] = c.r;
      } else if (components == 3) {
        out[0] = c.r, out[1] = c.g, out[2] = c.b;
      } else {
        out[0] = 255 - c.r, out[1] = 255 - c.g, out[2] = 255 - c.b, out[3] = 0;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  std::fclose(file);
  return bytes;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumivex-XXXXXX").string();
  if (char* made = mkdtemp(pattern.data())) path_ = made;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace testpics
