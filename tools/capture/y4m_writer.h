// A YUV4MPEG2 stream: the header, then per frame "FRAME" and the Y, Cb and Cr planes
// (4:2:0, BT.601 studio range), which ffmpeg and most players read as raw video.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class Y4mWriter {
 public:
  Y4mWriter() = default;
  ~Y4mWriter();
  Y4mWriter(const Y4mWriter&) = delete;
  Y4mWriter& operator=(const Y4mWriter&) = delete;

  // Creates `path` and writes the header; `width` and `height` must be even.
  bool Open(const std::string& path, int width, int height, int fps, std::string* error);
  // Appends one RGB frame, rows top first.
  bool WriteFrame(const uint8_t* rgb, std::string* error);
  // Appends one frame of `pixelBytes`-byte pixels (R, G, B first) whose top row starts at
  // `topRow`, the next row `rowStep` bytes further (negative for a bottom-up picture).
  bool WriteFrame(const uint8_t* topRow, ptrdiff_t rowStep, int pixelBytes, std::string* error);
  // Flushes and closes; false when anything was not written.
  bool Close(std::string* error);

 private:
  FILE* file_ = nullptr;
  std::string path_;
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> planes_;
};

// Converts one RGB frame (rows top first, even sizes) into Y, Cb and Cr planes of
// width x height, then two of width/2 x height/2, one after the other in `planes`.
void RgbToYuv420(const uint8_t* rgb, int width, int height, uint8_t* planes);
// The same for any row order and pixel size, as WriteFrame takes them.
void PixelsToYuv420(const uint8_t* topRow, ptrdiff_t rowStep, int pixelBytes, int width, int height,
                    uint8_t* planes);
