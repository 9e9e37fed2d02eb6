// The viewer's model in the form the GL draws fastest: one array of vertices (position,
// normal, texture coordinate) and the triangles' vertex numbers grouped by material, so a
// frame is one draw a material. Built once after loading.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/model_file.h"
#include "tools/model_readers/indexed_mesh.h"
#include "tools/model_readers/obj_reader.h"

// The viewer's arrays with the framing measured on them.
struct ViewerMesh : IndexedMesh {
  float center[3] = {0.0f, 0.0f, 0.0f};  // middle of the bounding box
  float radius = 1.0f;                   // of a sphere around the centre holding every corner
};

// Builds the arrays for `source`: normals from CornerNormals with `creaseDegrees`, (0, 0)
// for corners without a texture coordinate, corners that agree in all three shared as one
// vertex, and each material's triangles in file order. The framing is measured on the
// vertices; a model of no size (or none that is finite) gets radius 1.
void BuildViewerMesh(const ObjMesh& source, float creaseDegrees, ViewerMesh* mesh);

// The framing (centre and radius) of arrays a reader filled directly: every vertex is one
// of a triangle's.
void FrameViewerMesh(ViewerMesh* mesh);

// A loaded model file as the OBJ reader would give it: every face's corners at their
// object's placement, its material number kept (numbers outside 0..materials-1 read as 0),
// `materials` plain materials named by number. No normals: the file has none.
void SceneToObjMesh(const ModelScene& scene, int materials, ObjMesh* mesh);
