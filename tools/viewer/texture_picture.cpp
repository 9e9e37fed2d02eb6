// Texture decoding: the toolkit's BMP decoder for "BM" files (it reads RLE, 1-bit and core
// headers that stb_image does not), stb_image for everything else and for BMPs the toolkit
// refuses (the V4 and V5 headers of newer programs).
#include "tools/viewer/texture_picture.h"

#include <climits>
#include <cstring>

#include "toolkit/bmp_decoder.h"
#include "tools/viewer/stb_image_config.h"

namespace {

bool FromDIB(const uint8_t* data, size_t size, TexturePicture* picture) {
  DIBError error = DIBError::kNone;
  RGBImage* image = DecodeDIBBytes(data, size, &error);
  if (!image) return false;
  picture->width = image->width;
  picture->height = image->height;
  const size_t pixels = static_cast<size_t>(image->width) * image->height;
  picture->rgba.resize(4 * pixels);
  for (size_t i = 0; i < pixels; ++i) {  // both bottom row first
    std::memcpy(&picture->rgba[4 * i], &image->pixels[3 * i], 3);
    picture->rgba[4 * i + 3] = 255;
  }
  FreeRGBImage(image);
  return true;
}

}  // namespace

bool DecodeTexturePicture(const uint8_t* data, size_t size, TexturePicture* picture,
                          std::string* why) {
  *picture = TexturePicture();
  if (size >= 2 && data[0] == 'B' && data[1] == 'M' && FromDIB(data, size, picture)) return true;
  if (size > static_cast<size_t>(INT_MAX)) {
    *why = "too large";
    return false;
  }
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels =
      stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
  if (!pixels) {
    const char* reason = stbi_failure_reason();
    *why = reason && std::strcmp(reason, "unknown image type") != 0
               ? reason
               : "not a picture of a known kind";
    return false;
  }
  picture->width = width;
  picture->height = height;
  const size_t row = 4 * static_cast<size_t>(width);
  picture->rgba.resize(row * height);
  // stb_image gives the top row first.
  for (int y = 0; y < height; ++y) {
    std::memcpy(&picture->rgba[row * (height - 1 - y)], pixels + row * y, row);
  }
  stbi_image_free(pixels);
  if (channels == 2 || channels == 4) {
    for (size_t i = 3; i < picture->rgba.size() && !picture->translucent; i += 4) {
      picture->translucent = picture->rgba[i] < 255;
    }
  }
  return true;
}
