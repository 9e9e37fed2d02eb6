// A small PNG reader for the capture tests: 8-bit truecolour, no interlace, every filter
// type, checked chunk CRCs. Written from the format, apart from the writer under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPng {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows top first
};

// False with `error` set when the bytes are not such a PNG.
bool DecodePng(const std::vector<uint8_t>& bytes, DecodedPng* png, std::string* error);
bool ReadPngFile(const std::string& path, DecodedPng* png, std::string* error);
