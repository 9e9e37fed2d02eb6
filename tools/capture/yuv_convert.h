// The one colour conversion of every YUV output (Y4M and the encoded videos): RGB frames
// to YUV 4:2:0, BT.601 coefficients, limited ("studio") range, chroma centred between
// the luma samples and averaged over each 2 x 2 block. Done by libswscale; a build without
// FFmpeg's libraries (the static tarball) converts the same way in code of its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct SwsContext;

class YuvConverter {
 public:
  // Frames of `width` x `height` (even sizes) of `pixelBytes`-byte pixels, R, G, B first
  // (3 or 4).
  YuvConverter(int width, int height, int pixelBytes);
  ~YuvConverter();
  YuvConverter(const YuvConverter&) = delete;
  YuvConverter& operator=(const YuvConverter&) = delete;

  bool ok() const;
  // Converts the frame whose top row starts at `topRow`, the next row `rowStep` bytes
  // further (negative for a bottom-up picture), into the Y, Cb and Cr planes.
  void Convert(const uint8_t* topRow, ptrdiff_t rowStep, uint8_t* const planes[3],
               const int strides[3]);

 private:
  int width_, height_, pixelBytes_;
  SwsContext* context_ = nullptr;
};
