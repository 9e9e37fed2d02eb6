// The one Wavefront OBJ reader of obj2model and the model viewer: OBJ files as exporters
// write them (Blender, Maya and the like) into triangles that keep the file's positions,
// texture coordinates and normals, with the materials of their MTL files. What a file
// names but does not ship (an MTL file, a normal, a texture coordinate) is a note and the
// model is read without it; only a face naming a vertex that does not exist, or a number
// that is not one, refuses the file, with its line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/model_readers/mtl_reader.h"

// Reads a file the OBJ names (an MTL file, by the name as written there, "\" already read
// as a folder separator); false when the file cannot be read.
using ObjFileReader = std::function<bool(const std::string& name, std::string* text)>;

// A face corner: 0-based numbers into the mesh's lists; -1 where the face names none (or
// names one the file does not have).
struct ObjCorner {
  int32_t p, t, n;
};

// The faces as the file has them: polygons of three or more corners, each drawn as a fan of
// triangles from its first corner.
struct ObjMesh {
  std::vector<float> positions;           // x, y, z a vertex
  std::vector<float> uvs;                 // u, v
  std::vector<float> normals;             // x, y, z, as the file gives them
  std::vector<uint8_t> colors;            // r, g, b, a per position; empty when the file has
                                          // none (PLY, STL and glTF files carry them)
  std::vector<ObjCorner> corners;         // the faces' corners, face after face
  std::vector<uint32_t> faceEnds;         // per face: where its corners end in `corners`
  std::vector<int32_t> materials;         // per face: a number into materialList
  std::vector<uint32_t> groupStarts;      // first face of each object or group that has faces
                                          // before it (o, g)
  std::vector<ObjMaterial> materialList;  // in the order of first use; "default" for faces
                                          // before any usemtl
  std::vector<std::string> notes;         // what was passed over, each said once
  MtlFindings mtl;                        // what the MTL files held beyond materials

  size_t Faces() const { return faceEnds.size(); }
  uint32_t FaceStart(size_t face) const { return face == 0 ? 0 : faceEnds[face - 1]; }
  // A face of n corners is n - 2 triangles.
  size_t Triangles() const { return corners.size() - 2 * faceEnds.size(); }
};

// Reads `text`. Without `readFile` the mtllib lines are passed over (plain materials).
// False with "line N: ..." in *error for a face naming a vertex that does not exist or
// numbering from 0, a bad number, a face of fewer than three corners, a vertex or texture
// coordinate missing its numbers. "usemtl" without a name means the material "default".
bool ReadObj(const std::string& text, ObjMesh* mesh, std::string* error,
             const ObjFileReader& readFile = nullptr);

// Reads the OBJ file at `path` and its MTL files (named relative to the OBJ's folder;
// texture paths come back from the current directory). Errors name the file:
// "PATH: line N: ...", "PATH: cannot open the file".
bool ReadObjFile(const std::string& path, ObjMesh* mesh, std::string* error);

// The whole of a file as bytes in a string; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* text);
