// Frames as binary PPM files (RGB, top row first): how the desktop reference program
// hands its frames to the layer's comparison test, and what a person opens to look.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gl11test {

bool WriteFrame(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
// False for a missing file, another size or a short file.
bool ReadFrame(const std::string& path, int width, int height, std::vector<uint8_t>* rgb);

}  // namespace gl11test
