// JPEG pictures into OpenGL textures: decode into an RGBImage, then upload.
#pragma once

#include <cstdint>

#include "resources/rgb_image.h"

// Decodes a JPEG file; null when it cannot be opened or decoded. Reports nothing.
RGBImage* DecodeJPEGFile(const char* fileName);
// Makes a texture of the file into *slot; 1 on success, 0 after reporting the failure
// (the slot is then untouched).
int qenLoadJPEGTexture(const char* fileName, uint32_t* slot);
