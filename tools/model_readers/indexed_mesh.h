// Triangles ready for vertex arrays: one array of vertices (position, normal, texture
// coordinate, colour) and the triangles' vertex numbers grouped by material, so that a
// frame is one glDrawElements a material. The readers of formats that already store
// indexed vertices (glTF) or a flat triangle list (binary STL) fill it straight from their
// buffers for the viewer, instead of going through the corners of ObjMesh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct MeshVertex {
  float position[3];
  float normal[3];  // at unit length
  float uv[2];
  uint8_t color[4];  // RGBA; white where the file has no colours
};

// The triangles of one material: `count` vertex numbers from `first` in `indices`.
struct MaterialRange {
  int32_t material;
  uint32_t first, count;
};

struct IndexedMesh {
  std::vector<MeshVertex> vertices;
  std::vector<uint32_t> indices;      // three a triangle
  std::vector<MaterialRange> ranges;  // by material number, materials without triangles left out
  bool colored = false;               // the file gave colours: drawn with them
  int objects = 0;                    // the file's objects (glTF nodes with a mesh)
};

// Sorts triangles given as runs of `indices` ({material, first, count} in file order)
// into one range a material, each material's triangles in file order.
void GroupByMaterial(const std::vector<MaterialRange>& runs, size_t materials, IndexedMesh* mesh);
