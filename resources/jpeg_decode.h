// The JPEG decoder: files and already open streams (the fuzzer's way in) into RGBImage
// pictures. No GL here.
#pragma once

#include <cstdio>

#include "resources/rgb_image.h"

// Largest picture the decoder accepts: a side of 16384 pixels (the largest texture any
// current GL implementation takes) and 64 Mi pixels in all (192 MiB of RGB).
constexpr unsigned kMaxJPEGSide = 16384;
constexpr unsigned long long kMaxJPEGPixels = 64ull * 1024 * 1024;

// Decodes the JPEG stream `file` (opened for binary reading; left open) into a new
// RGBImage, top row first; null when libjpeg rejects it. Greyscale comes out as RGB.
RGBImage* DecodeJPEGStream(FILE* file);
// Decodes a JPEG file; null when it cannot be opened or decoded. Reports nothing.
RGBImage* DecodeJPEGFile(const char* fileName);
