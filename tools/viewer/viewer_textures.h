// The materials' pictures as GL textures: each file read and decoded once, whatever its
// kind, and uploaded with mipmaps; scaled to powers of two where the GL needs them.
#pragma once

#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "tools/model_readers/mtl_reader.h"
#include "tools/viewer/texture_picture.h"

struct MaterialTexture {
  GLuint name = 0;           // 0: the material is drawn plain
  bool translucent = false;  // the picture has see-through pixels (drawn with an alpha test)
};

// One entry a material. A picture that cannot be read (missing, or not a picture) is said
// once in `warnings` ("PATH: cannot be read (why): drawn plain") and its materials get 0.
// A material's picture is its `textureBytes` where the model file carried it, else the
// file at `texture`, then at `beside`; the texture takes the material's wrap modes. Needs
// a current context.
std::vector<MaterialTexture> MakeMaterialTextures(const std::vector<ObjMaterial>& materials,
                                                  std::vector<std::string>* warnings);

// Uploads a decoded picture as a new texture (linear filtering, mipmaps where the GL makes
// them); the picture is scaled to powers of two when the GL takes no other sizes, and down
// to the GL's largest size.
GLuint UploadTexturePicture(const TexturePicture& picture);

// Deletes every distinct texture name of `textures` (several materials may share one).
void DeleteMaterialTextures(std::vector<MaterialTexture>* textures);
