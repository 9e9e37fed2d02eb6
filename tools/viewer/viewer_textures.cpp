// Texture upload for the viewer's materials.
#include "tools/viewer/viewer_textures.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/model_readers/obj_reader.h"
#include "tools/viewer/gl_caps.h"

namespace {

constexpr GLenum kGenerateMipmap = 0x8191;  // GL 1.4 texture parameter, absent from gl.h 1.1

// The power of two nearest to `side`, at most `largest`.
int PowerOfTwoNear(int side, int largest) {
  int power = 1;
  while (power < side && power < largest) power *= 2;
  if (power > side && side - power / 2 < power - side) power /= 2;
  return std::min(power, largest);
}

// A material's wrap mode as this GL takes it: clamping to the edge from GL 1.2, mirroring
// from 1.4; plain repeat before.
GLint WrapMode(int wanted) {
  if (wanted == kWrapClampToEdge) return GLVersionAtLeast(1, 2) ? kWrapClampToEdge : GL_CLAMP;
  if (wanted == kWrapMirroredRepeat && GLVersionAtLeast(1, 4)) return kWrapMirroredRepeat;
  return GL_REPEAT;
}

}  // namespace

GLuint UploadTexturePicture(const TexturePicture& picture) {
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  largest = std::max(largest, 64);  // every GL takes 64
  const bool anySize = GLVersionAtLeast(2, 0) || GLHasExtension("GL_ARB_texture_non_power_of_two");
  int width = picture.width, height = picture.height;
  if (!anySize) {
    width = PowerOfTwoNear(width, largest);
    height = PowerOfTwoNear(height, largest);
  } else if (width > largest || height > largest) {
    // Down to the limit, keeping the picture's shape.
    const double scale = std::min(double(largest) / width, double(largest) / height);
    width = std::max(1, static_cast<int>(width * scale));
    height = std::max(1, static_cast<int>(height * scale));
  }
  std::vector<uint8_t> scaled;
  const uint8_t* pixels = picture.rgba.data();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (width != picture.width || height != picture.height) {
    scaled.resize(4 * static_cast<size_t>(width) * height);
    gluScaleImage(GL_RGBA, picture.width, picture.height, GL_UNSIGNED_BYTE, pixels, width, height,
                  GL_UNSIGNED_BYTE, scaled.data());
    pixels = scaled.data();
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const bool mipmaps = GLVersionAtLeast(1, 4) || GLHasExtension("GL_SGIS_generate_mipmap");
  if (mipmaps) glTexParameteri(GL_TEXTURE_2D, kGenerateMipmap, GL_TRUE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return name;
}

std::vector<MaterialTexture> MakeMaterialTextures(const std::vector<ObjMaterial>& materials,
                                                  std::vector<std::string>* warnings) {
  std::map<std::string, MaterialTexture> byFile;  // each file once, however many use it
  std::vector<MaterialTexture> textures;
  for (const ObjMaterial& material : materials) {
    if (material.texture.empty()) {
      textures.emplace_back();
      continue;
    }
    // The same picture under other wrap modes is another texture.
    const std::string key = material.texture + "#" + std::to_string(material.wrapS) + "," +
                            std::to_string(material.wrapT);
    const auto known = byFile.find(key);
    if (known != byFile.end()) {
      textures.push_back(known->second);
      continue;
    }
    MaterialTexture texture;
    std::string read, why = "no such file";
    const std::string* bytes = material.textureBytes.get();
    if (!bytes && (ReadWholeFile(material.texture, &read) ||
                   (!material.beside.empty() && ReadWholeFile(material.beside, &read)))) {
      bytes = &read;
    }
    if (bytes) {
      TexturePicture picture;
      if (DecodeTexturePicture(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size(),
                               &picture, &why)) {
        texture.name = UploadTexturePicture(picture);
        texture.translucent = picture.translucent;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WrapMode(material.wrapS));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WrapMode(material.wrapT));
      }
    }
    if (!texture.name && warnings) {
      warnings->push_back(material.texture + ": cannot be read (" + why + "): drawn plain");
    }
    byFile[key] = texture;
    textures.push_back(texture);
  }
  return textures;
}

void DeleteMaterialTextures(std::vector<MaterialTexture>* textures) {
  std::vector<GLuint> names;
  for (const MaterialTexture& t : *textures) {
    if (t.name) names.push_back(t.name);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  if (!names.empty()) glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
  textures->clear();
}
