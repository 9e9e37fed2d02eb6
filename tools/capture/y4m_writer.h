// A YUV4MPEG2 stream: the header, then per frame "FRAME" and the Y, Cb and Cr planes
// (4:2:0, BT.601 studio range, yuv_convert.h), which ffmpeg and most players read as raw
// video.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/capture/capture_options.h"
#include "tools/capture/yuv_convert.h"

class Y4mWriter {
 public:
  Y4mWriter() = default;
  ~Y4mWriter();
  Y4mWriter(const Y4mWriter&) = delete;
  Y4mWriter& operator=(const Y4mWriter&) = delete;

  // Creates `path` and writes the header; `width` and `height` must be even. Frames will
  // have pixels of `pixelBytes` bytes, R, G, B first (3 or 4).
  bool Open(const std::string& path, int width, int height, FrameRate rate, int pixelBytes,
            std::string* error);
  // Appends one frame, rows top first, packed.
  bool WriteFrame(const uint8_t* pixels, std::string* error);
  // Appends one frame whose top row starts at `topRow`, the next row `rowStep` bytes
  // further (negative for a bottom-up picture).
  bool WriteFrame(const uint8_t* topRow, ptrdiff_t rowStep, std::string* error);
  // Flushes and closes; false when anything was not written.
  bool Close(std::string* error);

 private:
  FILE* file_ = nullptr;
  std::string path_;
  int width_ = 0, height_ = 0, pixelBytes_ = 0;
  std::unique_ptr<YuvConverter> converter_;
  std::vector<uint8_t> planes_;
};
