// The PNG files the viewer writes: the --shot picture and the views saved with a key.
#pragma once

#include <cstdint>
#include <string>

// Writes `width` x `height` RGB pixels, rows top first, as a PNG file; false with `error`
// set when the file cannot be written whole (nothing is left behind then).
bool WriteViewPng(const std::string& path, const uint8_t* rgb, int width, int height,
                  std::string* error);

// The first of STEM-1.png, STEM-2.png, ... in the current folder that does not exist yet.
std::string NextFreePngName(const std::string& stem);
