// RGB to YUV 4:2:0 through libswscale, or, without FFmpeg's libraries, in plain code.
#include "tools/capture/yuv_convert.h"

#ifdef LUMIVEX_CAPTURE_ENCODE
extern "C" {
#include <libswscale/swscale.h>
}

YuvConverter::YuvConverter(int width, int height, int pixelBytes)
    : width_(width), height_(height), pixelBytes_(pixelBytes) {
  const AVPixelFormat input = pixelBytes == 4 ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24;
  // SWS_AREA averages each 2 x 2 block for the chroma; ACCURATE_RND and BITEXACT give the
  // same bytes on every processor, so a capture is the same file wherever it is made.
  context_ = sws_getContext(width, height, input, width, height, AV_PIX_FMT_YUV420P,
                            SWS_AREA | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
  if (context_) {
    // Full-range RGB in, BT.601 limited range out (brightness 0, contrast and saturation 1.0
    // in 16.16 fixed point).
    const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(context_, bt601, 1, bt601, 0, 0, 1 << 16, 1 << 16);
  }
}

YuvConverter::~YuvConverter() {
  sws_freeContext(context_);
}

bool YuvConverter::ok() const {
  return context_ != nullptr;
}

void YuvConverter::Convert(const uint8_t* topRow, ptrdiff_t rowStep, uint8_t* const planes[3],
                           const int strides[3]) {
  const uint8_t* const source[1] = {topRow};
  const int sourceStride[1] = {static_cast<int>(rowStep)};
  sws_scale(context_, source, sourceStride, 0, height_, planes, strides);
}

#else

YuvConverter::YuvConverter(int width, int height, int pixelBytes)
    : width_(width), height_(height), pixelBytes_(pixelBytes) {}

YuvConverter::~YuvConverter() = default;

bool YuvConverter::ok() const {
  return width_ % 2 == 0 && height_ % 2 == 0 && (pixelBytes_ == 3 || pixelBytes_ == 4);
}

void YuvConverter::Convert(const uint8_t* topRow, ptrdiff_t rowStep, uint8_t* const planes[3],
                           const int strides[3]) {
  const int n = pixelBytes_;
  // Studio range: Y' from 16 to 235, Cb and Cr from 16 to 240 (the usual 8-bit
  // coefficients, scaled by 256; the offsets keep every sum positive before the shift).
  for (int y = 0; y < height_; ++y) {
    const uint8_t* p = topRow + rowStep * y;
    uint8_t* out = planes[0] + static_cast<ptrdiff_t>(strides[0]) * y;
    for (int x = 0; x < width_; ++x, p += n) {
      out[x] = static_cast<uint8_t>(((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) >> 8) + 16);
    }
  }
  // Chroma of each 2 x 2 block from the block's summed colour (sum / 4, rounded in the
  // final shift).
  for (int y = 0; y < height_ / 2; ++y) {
    const uint8_t* top = topRow + rowStep * (2 * y);
    const uint8_t* bottom = top + rowStep;
    uint8_t* cb = planes[1] + static_cast<ptrdiff_t>(strides[1]) * y;
    uint8_t* cr = planes[2] + static_cast<ptrdiff_t>(strides[2]) * y;
    for (int x = 0; x < width_ / 2; ++x) {
      const size_t i = static_cast<size_t>(x) * 2 * n;
      const int r = top[i] + top[i + n] + bottom[i] + bottom[i + n];
      const int g = top[i + 1] + top[i + n + 1] + bottom[i + 1] + bottom[i + n + 1];
      const int b = top[i + 2] + top[i + n + 2] + bottom[i + 2] + bottom[i + n + 2];
      cb[x] = static_cast<uint8_t>((-38 * r - 74 * g + 112 * b + 512 + (128 << 10)) >> 10);
      cr[x] = static_cast<uint8_t>((112 * r - 94 * g - 18 * b + 512 + (128 << 10)) >> 10);
    }
  }
}

#endif
