// The model the viewer shows: the scene read with LoadModelFile (an OBJ converted in memory
// first), its size for framing, and a texture per material.
#pragma once

#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "toolkit/model_file.h"

struct ViewerModel {
  ModelScene scene{};
  std::string name;  // the file name without its folders
  int objects = 0, triangles = 0, materials = 0;
  std::vector<std::string> textureFiles;  // per material; "" draws it white
  float center[3] = {0, 0, 0};            // middle of the bounding box
  float radius = 1.0f;                    // of a sphere around the centre holding every corner
  std::vector<GLuint> textures;           // per material, made by MakeViewerTextures
  GLuint list = 0;                        // the compiled scene
};

// Reads `path` (".obj" by its extension, whatever the case, else the model format). False
// with `error` set when the file cannot be read, the OBJ cannot be converted or the model
// has no triangle. What the conversion could not keep goes to `notes`. LoadModelFile's
// trace (test.txt) is written in a scratch folder, not in the user's.
bool LoadViewerModel(const std::string& path, ViewerModel* model, std::string* error,
                     std::vector<std::string>* notes);

// Makes the textures of the model's materials (BMP through LoadBitmapTexture, JPEG through
// the show's JPEG decoder, anything else or a file that fails white) and compiles the
// scene. Needs a current GL context. Problems go to `warnings`.
void MakeViewerScene(ViewerModel* model, std::vector<std::string>* warnings);

// Deletes the list and textures (with a current context) and releases the scene.
void ReleaseViewerModel(ViewerModel* model);
