// PNG encoding of RGB frames: 8-bit truecolour, no interlace, zlib-compressed rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The PNG file bytes of a `width` x `height` RGB picture, rows top first (3 bytes a
// pixel, no padding). Empty when zlib fails.
std::vector<uint8_t> EncodePng(const uint8_t* rgb, int width, int height);

// Writes the PNG to `path`; false with `error` set when the file cannot be written whole.
bool WritePng(const std::string& path, const uint8_t* rgb, int width, int height,
              std::string* error);
