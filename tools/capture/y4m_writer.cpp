// YUV4MPEG2 writer: the frames converted by the capture's one YUV conversion.
#include "tools/capture/y4m_writer.h"

#include <cerrno>
#include <cstring>

Y4mWriter::~Y4mWriter() {
  if (file_) std::fclose(file_);
}

bool Y4mWriter::Open(const std::string& path, int width, int height, FrameRate rate, int pixelBytes,
                     std::string* error) {
  path_ = path;
  width_ = width;
  height_ = height;
  pixelBytes_ = pixelBytes;
  if (width <= 0 || height <= 0 || width % 2 || height % 2) {
    *error = path + ": 4:2:0 video needs an even width and height";
    return false;
  }
  converter_ = std::make_unique<YuvConverter>(width, height, pixelBytes);
  if (!converter_->ok()) {
    *error = path + ": no colour conversion for this frame size";
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
  if (std::fprintf(file_, "YUV4MPEG2 W%d H%d F%d:%d Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n", width,
                   height, rate.num, rate.den) < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool Y4mWriter::WriteFrame(const uint8_t* pixels, std::string* error) {
  return WriteFrame(pixels, static_cast<ptrdiff_t>(width_) * pixelBytes_, error);
}

bool Y4mWriter::WriteFrame(const uint8_t* topRow, ptrdiff_t rowStep, std::string* error) {
  if (!file_) {
    *error = path_ + ": not open";
    return false;
  }
  uint8_t* const planes[3] = {planes_.data(),
                              planes_.data() + static_cast<size_t>(width_) * height_,
                              planes_.data() + static_cast<size_t>(width_) * height_ * 5 / 4};
  const int strides[3] = {width_, width_ / 2, width_ / 2};
  converter_->Convert(topRow, rowStep, planes, strides);
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
