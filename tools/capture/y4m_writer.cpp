// YUV4MPEG2 writer: integer BT.601 conversion, so every run gives the same bytes.
#include "tools/capture/y4m_writer.h"

#include <cerrno>
#include <cstring>

void PixelsToYuv420(const uint8_t* topRow, ptrdiff_t rowStep, int pixelBytes, int width, int height,
                    uint8_t* planes) {
  uint8_t* yPlane = planes;
  uint8_t* cbPlane = planes + static_cast<size_t>(width) * height;
  uint8_t* crPlane = cbPlane + static_cast<size_t>(width / 2) * (height / 2);
  const int n = pixelBytes;
  // Studio range: Y' from 16 to 235, Cb and Cr from 16 to 240 (the usual 8-bit
  // coefficients, scaled by 256; the offsets keep every sum positive before the shift).
  for (int y = 0; y < height; ++y) {
    const uint8_t* p = topRow + rowStep * y;
    uint8_t* out = yPlane + static_cast<size_t>(width) * y;
    for (int x = 0; x < width; ++x, p += n) {
      out[x] = static_cast<uint8_t>(((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) >> 8) + 16);
    }
  }
  // Chroma of each 2 x 2 block from the block's summed colour (sum / 4, rounded in the
  // final shift).
  for (int y = 0; y < height / 2; ++y) {
    const uint8_t* top = topRow + rowStep * (2 * y);
    const uint8_t* bottom = top + rowStep;
    for (int x = 0; x < width / 2; ++x) {
      const size_t i = static_cast<size_t>(x) * 2 * n;
      const int r = top[i] + top[i + n] + bottom[i] + bottom[i + n];
      const int g = top[i + 1] + top[i + n + 1] + bottom[i + 1] + bottom[i + n + 1];
      const int b = top[i + 2] + top[i + n + 2] + bottom[i + 2] + bottom[i + n + 2];
      const size_t at = static_cast<size_t>(width / 2) * y + x;
      cbPlane[at] = static_cast<uint8_t>((-38 * r - 74 * g + 112 * b + 512 + (128 << 10)) >> 10);
      crPlane[at] = static_cast<uint8_t>((112 * r - 94 * g - 18 * b + 512 + (128 << 10)) >> 10);
    }
  }
}

void RgbToYuv420(const uint8_t* rgb, int width, int height, uint8_t* planes) {
  PixelsToYuv420(rgb, static_cast<ptrdiff_t>(width) * 3, 3, width, height, planes);
}

Y4mWriter::~Y4mWriter() {
  if (file_) std::fclose(file_);
}

bool Y4mWriter::Open(const std::string& path, int width, int height, int fps, std::string* error) {
  path_ = path;
  width_ = width;
  height_ = height;
  if (width <= 0 || height <= 0 || width % 2 || height % 2) {
    *error = path + ": 4:2:0 video needs an even width and height";
    return false;
  }
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  planes_.resize(static_cast<size_t>(width) * height * 3 / 2);
  // Progressive, square pixels, chroma sited between the luma samples (as JPEG and
  // MPEG-1), studio range.
  if (std::fprintf(file_, "YUV4MPEG2 W%d H%d F%d:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n", width,
                   height, fps) < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool Y4mWriter::WriteFrame(const uint8_t* rgb, std::string* error) {
  return WriteFrame(rgb, static_cast<ptrdiff_t>(width_) * 3, 3, error);
}

bool Y4mWriter::WriteFrame(const uint8_t* topRow, ptrdiff_t rowStep, int pixelBytes,
                           std::string* error) {
  if (!file_) {
    *error = path_ + ": not open";
    return false;
  }
  PixelsToYuv420(topRow, rowStep, pixelBytes, width_, height_, planes_.data());
  static const char kFrame[] = "FRAME\n";
  if (std::fwrite(kFrame, 1, sizeof kFrame - 1, file_) != sizeof kFrame - 1 ||
      std::fwrite(planes_.data(), 1, planes_.size(), file_) != planes_.size()) {
    *error = path_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool Y4mWriter::Close(std::string* error) {
  if (!file_) return true;
  const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
  const int savedErrno = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok || !closed) {
    *error = path_ + ": " + std::strerror(ok ? errno : savedErrno);
    return false;
  }
  return true;
}
