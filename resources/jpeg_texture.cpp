// Decoded JPEG pictures into OpenGL textures, with failures reported to the error log.
#include "resources/jpeg_texture.h"

#include <string>

#include "platform/gl_api.h"
#include "resources/jpeg_decode.h"
#include "shell/error_log.h"

int qenLoadJPEGTexture(const char* fileName, uint32_t* slot) {
  RGBImage* picture = DecodeJPEGFile(fileName);
  if (!picture) {
    // One message for a missing file and for one libjpeg rejects.
    const std::string message = std::string("Texture ' ") + (fileName ? fileName : "") +
                                " ' Loading Error (file don't exist)";
    ErrorLogReport("qenLoadJPEGTexture", message.c_str(), 0);
    return 0;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  if (slot) *slot = name;
  glBindTexture(GL_TEXTURE_2D, name);
  // Rows are packed at 3 x width bytes; GL's default unpack alignment of 4 would read
  // padding that is not there for widths where that is not a multiple of 4.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  const bool packed = (3 * picture->width) % 4 == 0;
  if (!packed) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // GL takes the first row of the data as the t = 0 edge: the file's top row lands there.
  glTexImage2D(GL_TEXTURE_2D, 0, 3, picture->width, picture->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               picture->pixels);
  if (!packed) glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  FreeRGBImage(picture);
  return 1;
}
