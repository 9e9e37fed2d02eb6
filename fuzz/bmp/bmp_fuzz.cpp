// Feeds arbitrary bytes to the DIB decoder and checks the shape of what it returns.
#include <cstdint>
#include <cstdlib>

#include "toolkit/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DIBError error = DIBError::kNone;
  RGBImage* image = DecodeDIBBytes(data, size, &error);
  if ((image != nullptr) != (error == DIBError::kNone)) std::abort();
  if (!image) return 0;
  if (image->width <= 0 || image->height <= 0 || !image->pixels) std::abort();
  const int64_t bytes = int64_t{image->width} * image->height * 3;
  if (bytes > kDIBMaxPixels * 3) std::abort();
  // The first and last byte of the block must be there (the decoder's writes are checked
  // by AddressSanitizer as they happen; reading every pixel would slow the run down).
  volatile uint8_t ends = image->pixels[0] ^ image->pixels[bytes - 1];
  (void)ends;
  FreeRGBImage(image);
  return 0;
}
