// BMP texture loader: reads the file through the platform layer, decodes it by hand and
// uploads it as one texture level.
#include "toolkit/bmp_texture.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "toolkit/bmp_decoder.h"

namespace {

void ShowError(const char* text) {
  PlatformMessageBox(text, "Error", kMbOk);
}

void ShowOpenError(const char* fileName) {
  char text[1100];
  std::snprintf(text, sizeof(text), "Failed to open DIB file %s.\n", fileName);
  ShowError(text);
}

// The whole file in one heap block (null for an empty or unreadable file).
uint8_t* ReadWholeFile(const char* fileName, size_t* size) {
  FILE* file = PlatformOpenFile(fileName, "rb");
  if (!file) return nullptr;
  uint8_t* data = nullptr;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
    data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length)));
    if (data && std::fread(data, 1, length, file) != static_cast<size_t>(length)) {
      std::free(data);
      data = nullptr;
    }
  }
  std::fclose(file);
  *size = data ? static_cast<size_t>(length) : 0;
  return data;
}

}  // namespace

RGBImage* DecodeDIBFile(const char* fileName) {
  size_t size = 0;
  uint8_t* data = fileName ? ReadWholeFile(fileName, &size) : nullptr;
  if (!data) {
    ShowOpenError(fileName ? fileName : "");
    return nullptr;
  }
  DIBError error;
  RGBImage* image = DecodeDIBBytes(data, size, &error);
  std::free(data);
  switch (error) {
    case DIBError::kNone:
      break;
    case DIBError::kUnknownFormat:
      ShowError("Unknown DIB file format.");
      break;
    case DIBError::kOutOfMemory:
      ShowError("Out of memory.");
      break;
    case DIBError::kConversion:
      ShowError("Image file conversion error.");
      break;
  }
  return image;
}

RGBImage* ReadBitmapFile(const char* fileName) {
  if (!fileName) return nullptr;
  FILE* probe = PlatformOpenFile(fileName, "r");
  if (!probe) return nullptr;
  std::fclose(probe);
  return DecodeDIBFile(fileName);
}

int LoadBitmapTexture(const char* fileName, GLuint* slot) {
  RGBImage* image = ReadBitmapFile(fileName);
  if (!image) return 0;
  glGenTextures(1, slot);
  glBindTexture(GL_TEXTURE_2D, *slot);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  // Rows are packed at 3 x width bytes; OpenGL's default alignment of 4 would read past
  // the block for widths where that is not a multiple of 4.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image->pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  FreeRGBImage(image);
  return 1;
}
