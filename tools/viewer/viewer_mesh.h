// The viewer's model in the form the GL draws fastest: one array of vertices (position,
// normal, texture coordinate) and the triangles' vertex numbers grouped by material, so a
// frame is one draw a material. Built once after loading.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/model_file.h"
#include "tools/model_readers/obj_reader.h"

struct MeshVertex {
  float position[3];
  float normal[3];
  float uv[2];
  uint8_t color[4];  // RGBA; white where the file has no colours
};

// The triangles of one material: `count` vertex numbers from `first` in `indices`.
struct MaterialRange {
  int32_t material;
  uint32_t first, count;
};

struct ViewerMesh {
  std::vector<MeshVertex> vertices;
  std::vector<uint32_t> indices;         // three a triangle
  std::vector<MaterialRange> ranges;     // by material number, materials without triangles left out
  bool colored = false;                  // the file gave colours: drawn with them
  float center[3] = {0.0f, 0.0f, 0.0f};  // middle of the bounding box
  float radius = 1.0f;                   // of a sphere around the centre holding every corner
};

// Builds the arrays for `source`: normals from CornerNormals with `creaseDegrees`, (0, 0)
// for corners without a texture coordinate, corners that agree in all three shared as one
// vertex, and each material's triangles in file order. The framing is measured on the
// vertices; a model of no size (or none that is finite) gets radius 1.
void BuildViewerMesh(const ObjMesh& source, float creaseDegrees, ViewerMesh* mesh);

// A loaded model file as the OBJ reader would give it: every face's corners at their
// object's placement, its material number kept (numbers outside 0..materials-1 read as 0),
// `materials` plain materials named by number. No normals: the file has none.
void SceneToObjMesh(const ModelScene& scene, int materials, ObjMesh* mesh);
