// JPEG pictures into OpenGL textures: decode into an RGBImage, then upload.
#pragma once

#include <cstdint>

// Makes a texture of the file into *slot; 1 on success, 0 after reporting the failure
// (the slot is then untouched).
int qenLoadJPEGTexture(const char* fileName, uint32_t* slot);
