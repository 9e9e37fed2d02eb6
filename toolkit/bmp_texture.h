// BMP files to OpenGL textures: file checks and error boxes around the DIB decoder, and
// the upload.
#pragma once

#include "platform/gl_api.h"
#include "resources/rgb_image.h"

// Decodes `fileName` and makes a linear-filtered RGB texture of it in *slot (a new name).
// Returns 1 on success; 0 when the file is missing or cannot be decoded, leaving *slot as
// it was and making no GL call. OpenGL errors of the upload are not checked.
int LoadBitmapTexture(const char* fileName, GLuint* slot);

// Null for a null name or a file that cannot be opened (silently: no box); otherwise the
// result of DecodeDIBFile.
RGBImage* ReadBitmapFile(const char* fileName);

// Reads and decodes a BMP file (see DecodeDIBBytes); the picture comes out bottom row
// first with a positive height. Failures are shown in a box captioned "Error" with an OK
// button ("Failed to open DIB file %s.\n", "Unknown DIB file format.", "Out of memory.",
// "Image file conversion error.") and give null.
RGBImage* DecodeDIBFile(const char* fileName);
