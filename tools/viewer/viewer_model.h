// The model the viewer shows: an OBJ, glTF, STL or PLY file through the model readers, or a
// toolkit model file through LoadModelFile, made into vertex arrays with normals (ViewerMesh) and a
// texture per material. With `toolkitDraw` the toolkit's own path instead: the scene LoadModelFile
// reads (an OBJ converted to the model format in memory first), compiled by CompileModelScene.
#pragma once

#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "toolkit/model_file.h"
#include "tools/model_readers/mtl_reader.h"
#include "tools/viewer/gl_caps.h"
#include "tools/viewer/mesh_arrays.h"
#include "tools/viewer/viewer_mesh.h"
#include "tools/viewer/vertex_normals.h"
#include "tools/viewer/viewer_textures.h"

struct ViewerModel {
  std::string name;  // the file name without its folders
  int objects = 0, triangles = 0, materials = 0;
  std::vector<ObjMaterial> materialList;  // per material number
  float center[3] = {0, 0, 0};            // middle of the bounding box
  float radius = 1.0f;                    // of a sphere around the centre holding every corner
  // The file's lights (model files only); the viewer's light where there are none.
  int lightCount = 0;
  ModelLight lights[kModelMaxLights] = {};

  ViewerMesh mesh;                        // the viewer's own drawing
  MeshArrays arrays;                      // its arrays in GL, made by MakeViewerScene
  std::vector<MaterialTexture> textures;  // per material, made by MakeViewerScene

  bool toolkitDraw = false;          // drawn by the toolkit's compiled list instead
  ModelScene scene{};                // LoadModelFile's scene, kept for the toolkit's drawing only
  std::vector<GLuint> listTextures;  // the toolkit's texture array (white where plain)
  GLuint list = 0;                   // the compiled scene
};

// Reads `path`, of whichever kind its content says (never its name). False with `error`
// set (one line, naming the file) when the file cannot be read, is of no known kind, is
// broken or has no triangle. What the reading passed over goes to `notes`. LoadModelFile's trace
// (test.txt) is written in a scratch folder, not in the user's.
bool LoadViewerModel(const std::string& path, bool toolkitDraw, ViewerModel* model,
                     std::string* error, std::vector<std::string>* notes);

// Makes `model`'s arrays, counts and framing from what a reader gave: `arrays` where it
// filled them (they are moved into the model), else `source`'s faces through
// BuildViewerMesh.
void FillViewerModel(const ObjMesh& source, IndexedMesh* arrays, ViewerModel* model);

// Makes the materials' textures and the model's arrays in GL (buffer objects through
// `load` where the context has them), or, for the toolkit's drawing, compiles the scene.
// Needs a current GL context. Pictures that cannot be read go to `warnings`.
void MakeViewerScene(ViewerModel* model, GLProcLoader load, std::vector<std::string>* warnings);

// Deletes buffers, list and textures (with a current context) and releases the scene.
void ReleaseViewerModel(ViewerModel* model);
