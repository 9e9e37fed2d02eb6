// Decoding of Windows device-independent bitmaps (BMP files and bare DIBs) held in memory
// into 24-bit RGB pictures, bottom row first. No GL and no file access here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "resources/rgb_image.h"

enum class DIBError {
  kNone,
  kUnknownFormat,  // info header size other than 12 or 40, or no whole header in the data
  kOutOfMemory,
  kConversion,  // unsupported depth or compression, bad sizes, data the file lacks
};

// Largest picture accepted, in pixels (8192 x 8192): RLE data can describe a picture far
// larger than the file, and this keeps a hostile header from asking for gigabytes.
constexpr int64_t kDIBMaxPixels = int64_t{1} << 26;

// Decodes `size` bytes: a "BM" file (14-byte file header, then the info header, pixel bits
// at the header's offset) or a bare info header directly followed by its colour table and
// its pixel bits. Info headers of 12 (core) and 40 bytes; uncompressed 1, 4, 8, 16, 24 and
// 32 bits, 16 and 32 bits with bit fields, RLE8 and RLE4. Bottom-up and top-down pictures
// both come out bottom row first. A palette index beyond the colour table gives black;
// pixels an RLE stream skips or leaves out are black. Returns a new image (FreeRGBImage
// releases it) or null with the reason in *error.
RGBImage* DecodeDIBBytes(const uint8_t* data, size_t size, DIBError* error);
