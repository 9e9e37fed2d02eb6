// Pictures for model textures, decoded from their bytes: the kind is told by the content,
// never by the file's name. BMP through the toolkit's decoder; PNG, TGA, JPEG, GIF (its
// first frame), PSD (the composite), HDR, PNM and PIC through stb_image. No GL here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// RGBA, 4 bytes a pixel, rows bottom first: OpenGL's t = 0 row and OBJ's v = 0 edge.
// Greyscale, palette and 16-bit pictures come out as 8-bit RGBA; HDR pictures tone-mapped.
struct TexturePicture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  bool translucent = false;  // some pixel's alpha is below 255
};

// Sides above 16384 are refused (stb_image_config.h), so a hostile header cannot ask for
// gigabytes. False with the reason in *why ("not a picture of a known kind", "corrupt PNG", ...).
bool DecodeTexturePicture(const uint8_t* data, size_t size, TexturePicture* picture,
                          std::string* why);
