// DIB decoding by hand: every size, offset and palette index is checked against the data
// before use, so no header can make the decoder read or write outside its buffers.
#include "toolkit/bmp_decoder.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Rgb {
  uint8_t r, g, b;
};

// One channel of a bit-field pixel: where its bits are and how to widen them to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (!mask) return;
    while (!((mask >> shift) & 1u)) ++shift;
    uint32_t rest = mask >> shift;
    while (rest) {
      ++bits;
      rest >>= 1;
    }
  }
  uint8_t Of(uint32_t pixel) const {
    if (!mask) return 0;
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t top = (1u << bits) - 1u;
    return static_cast<uint8_t>((value * 255u + top / 2) / top);  // rounded to nearest
  }
};

// The picture being written: rows bottom first, 3 bytes a pixel.
struct Canvas {
  uint8_t* pixels;
  int64_t width, height;

  void Put(int64_t x, int64_t row, Rgb c) {
    if (x < 0 || x >= width || row < 0 || row >= height) return;
    uint8_t* p = pixels + (row * width + x) * 3;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
  }
};

// RLE8 and RLE4 streams (bottom-up only): runs, absolute runs, line ends, deltas and the
// bitmap end. Pixels outside the picture are dropped; the stream stops at its end.
void DecodeRle(const uint8_t* p, const uint8_t* end, bool four, const Rgb* palette,
               Canvas* canvas) {
  int64_t x = 0, y = 0;
  while (end - p >= 2 && y < canvas->height) {
    const uint8_t count = p[0];
    const uint8_t value = p[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) {
        const uint8_t index = four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value;
        canvas->Put(x++, y, palette[index]);
      }
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (end - p < 2) return;
      x += p[0];
      y += p[1];
      p += 2;
    } else {
      const int n = value;
      const int64_t bytes = four ? (n + 1) / 2 : n;
      const int64_t padded = (bytes + 1) & ~int64_t{1};  // absolute runs end on a word
      if (end - p < bytes) return;
      for (int i = 0; i < n; ++i) {
        const uint8_t b = p[four ? i / 2 : i];
        const uint8_t index = four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b;
        canvas->Put(x++, y, palette[index]);
      }
      p += end - p < padded ? end - p : padded;
    }
  }
}

}  // namespace

RGBImage* DecodeDIBBytes(const uint8_t* data, size_t size, DIBError* error) {
  DIBError unused;
  if (!error) error = &unused;
  *error = DIBError::kNone;
  auto fail = [error](DIBError why) -> RGBImage* {
    *error = why;
    return nullptr;
  };
  if (!data) return fail(DIBError::kUnknownFormat);

  // With a file header the info header starts at 14 and the bits at the stored offset.
  const bool fileHeader = size >= 2 && U16(data) == 0x4D42;
  const size_t base = fileHeader ? 14 : 0;
  if (size < base + 4) return fail(DIBError::kUnknownFormat);
  const uint32_t headerSize = U32(data + base);
  if (headerSize != 12 && headerSize != 40) return fail(DIBError::kUnknownFormat);
  if (size - base < headerSize) return fail(DIBError::kUnknownFormat);
  const uint8_t* h = data + base;

  int64_t width, height;
  uint32_t bits, compression = kRgb, imageSize = 0, coloursUsed = 0;
  if (headerSize == 12) {
    // The core header: 16-bit unsigned sizes, always bottom-up.
    width = U16(h + 4);
    height = U16(h + 6);
    bits = U16(h + 10);
  } else {
    width = static_cast<int32_t>(U32(h + 4));
    height = static_cast<int32_t>(U32(h + 8));
    bits = U16(h + 14);
    compression = U32(h + 16);
    imageSize = U32(h + 20);
    coloursUsed = U32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > kDIBMaxPixels) {
    return fail(DIBError::kConversion);
  }

  uint64_t tableLength = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
  if (headerSize == 40 && coloursUsed != 0) tableLength = coloursUsed;
  const uint64_t entryBytes = headerSize == 12 ? 3 : 4;
  uint64_t tableStart = base + uint64_t{headerSize};

  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16-bit default: 5-5-5
  if (compression == kBitFields) {
    if (headerSize != 40 || (bits != 16 && bits != 32)) return fail(DIBError::kConversion);
    if (size < tableStart + 12) return fail(DIBError::kConversion);
    for (int i = 0; i < 3; ++i) masks[i] = U32(data + tableStart + 4 * i);
    tableStart += 12;
  } else if (bits == 32) {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
  }

  // Entries the pixels can name; those beyond the table stay black.
  Rgb palette[256] = {};
  const uint64_t wanted = bits <= 8 ? (uint64_t{1} << bits) : 0;
  const uint64_t entries = tableLength < wanted ? tableLength : wanted;
  if (tableStart + entries * entryBytes > size) return fail(DIBError::kConversion);
  for (uint64_t i = 0; i < entries; ++i) {
    const uint8_t* e = data + tableStart + i * entryBytes;
    palette[i] = {e[2], e[1], e[0]};  // stored blue, green, red
  }

  uint64_t offset;
  if (fileHeader) {
    offset = U32(data + 10);
  } else {
    if (tableLength > size) return fail(DIBError::kConversion);
    offset = tableStart + tableLength * entryBytes;
  }
  if (offset >= size) return fail(DIBError::kConversion);

  const bool rle = compression == kRle8 || compression == kRle4;
  if (rle) {
    if ((compression == kRle8 && bits != 8) || (compression == kRle4 && bits != 4) || topDown) {
      return fail(DIBError::kConversion);
    }
  } else if (compression == kRgb) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
      return fail(DIBError::kConversion);
    }
  } else if (compression != kBitFields) {
    return fail(DIBError::kConversion);
  }

  // Stored rows are padded to 4 bytes; the last row may come without its padding.
  const uint64_t rowBytes = (uint64_t{bits} * width + 7) / 8;
  const uint64_t stride = (uint64_t{bits} * width + 31) / 32 * 4;
  if (!rle && offset + stride * (height - 1) + rowBytes > size) {
    return fail(DIBError::kConversion);
  }

  RGBImage* image = static_cast<RGBImage*>(std::calloc(1, sizeof(RGBImage)));
  uint8_t* pixels = static_cast<uint8_t*>(std::calloc(width * height, 3));
  if (!image || !pixels) {
    std::free(pixels);
    std::free(image);
    return fail(DIBError::kOutOfMemory);
  }
  Canvas canvas{pixels, width, height};

  if (rle) {
    uint64_t end = size;
    if (imageSize != 0 && offset + imageSize < end) end = offset + imageSize;
    DecodeRle(data + offset, data + end, compression == kRle4, palette, &canvas);
  } else {
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int64_t r = 0; r < height; ++r) {
      const uint8_t* row = data + offset + stride * r;
      const int64_t out = topDown ? height - 1 - r : r;  // bottom row first either way
      for (int64_t x = 0; x < width; ++x) {
        Rgb c;
        switch (bits) {
          case 1:
            c = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
            break;
          case 4:
            c = palette[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
            break;
          case 8:
            c = palette[row[x]];
            break;
          case 16: {
            const uint32_t v = U16(row + 2 * x);
            c = {red.Of(v), green.Of(v), blue.Of(v)};
            break;
          }
          case 24:
            c = {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
            break;
          default: {
            const uint32_t v = U32(row + 4 * x);
            c = {red.Of(v), green.Of(v), blue.Of(v)};
            break;
          }
        }
        canvas.Put(x, out, c);
      }
    }
  }

  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pixels = pixels;
  return image;
}
