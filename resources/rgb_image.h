// A decoded picture: width x height pixels of red, green, blue bytes, rows packed at
// 3 x width bytes. Row order is the producer's (JPEG: top row first; BMP: bottom first).
#pragma once

#include <cstdint>

struct RGBImage {
  int32_t width = 0;
  int32_t height = 0;
  uint8_t* pixels = nullptr;
};

// Releases the pixel block, then the record (both made with malloc). Null is harmless.
void FreeRGBImage(RGBImage* image);
