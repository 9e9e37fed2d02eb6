// PNG reader for tests: chunk walk with CRC checks, inflate, unfiltering.
#include "tests/capture/png_decode.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

bool DecodePng(const std::vector<uint8_t>& bytes, DecodedPng* png, std::string* error) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
    *error = "no PNG signature";
    return false;
  }
  std::vector<uint8_t> packed;
  bool header = false, end = false;
  size_t at = 8;
  while (at + 12 <= bytes.size() && !end) {
    const uint32_t length = U32(&bytes[at]);
    if (length > bytes.size() - at - 12) {
      *error = "chunk past the end";
      return false;
    }
    const uint8_t* type = &bytes[at + 4];
    const uint8_t* data = type + 4;
    const uint32_t crc = U32(data + length);
    if (crc32(0L, type, length + 4) != crc) {
      *error = "bad CRC in chunk " + std::string(reinterpret_cast<const char*>(type), 4);
      return false;
    }
    if (!std::memcmp(type, "IHDR", 4)) {
      if (length != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) {
        *error = "not 8-bit truecolour without interlace";
        return false;
      }
      png->width = static_cast<int>(U32(data));
      png->height = static_cast<int>(U32(data + 4));
      header = true;
    } else if (!std::memcmp(type, "IDAT", 4)) {
      packed.insert(packed.end(), data, data + length);
    } else if (!std::memcmp(type, "IEND", 4)) {
      end = true;
    }
    at += 12 + length;
  }
  if (!header || !end) {
    *error = "IHDR or IEND missing";
    return false;
  }
  const size_t stride = static_cast<size_t>(png->width) * 3;
  std::vector<uint8_t> raw((stride + 1) * png->height);
  uLongf rawSize = raw.size();
  if (uncompress(raw.data(), &rawSize, packed.data(), packed.size()) != Z_OK ||
      rawSize != raw.size()) {
    *error = "the image data does not inflate to the picture's size";
    return false;
  }
  png->rgb.assign(stride * png->height, 0);
  for (int y = 0; y < png->height; ++y) {
    const uint8_t filter = raw[(stride + 1) * y];
    const uint8_t* in = &raw[(stride + 1) * y + 1];
    uint8_t* out = &png->rgb[stride * y];
    const uint8_t* up = y ? out - stride : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= 3 ? out[i - 3] : 0;
      const int b = up ? up[i] : 0;
      const int c = up && i >= 3 ? up[i - 3] : 0;
      int predictor;
      switch (filter) {
        case 0:
          predictor = 0;
          break;
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4:
          predictor = Paeth(a, b, c);
          break;
        default:
          *error = "unknown filter type";
          return false;
      }
      out[i] = static_cast<uint8_t>(in[i] + predictor);
    }
  }
  return true;
}

bool ReadPngFile(const std::string& path, DecodedPng* png, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path + ": cannot open";
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  return DecodePng(bytes, png, error);
}
