// The JPEG decode path on arbitrary bytes: the same stdio source, error exit and row copy
// the texture loader uses, on a stream read from memory.
#include <cstdint>
#include <cstdio>

#include "resources/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!file) return 0;
  RGBImage* image = DecodeJPEGStream(file);
  if (image) {
    // Every byte of the block was written: reading it all lets MSan/ASan see any gap.
    volatile uint8_t sum = 0;
    const size_t bytes = size_t(image->width) * size_t(image->height) * 3;
    for (size_t i = 0; i < bytes; ++i) sum = sum + image->pixels[i];
    (void)sum;
  }
  FreeRGBImage(image);
  std::fclose(file);
  return 0;
}
