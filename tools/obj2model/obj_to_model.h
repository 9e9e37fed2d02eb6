// Conversion of model files (OBJ, glTF, STL, PLY) into the toolkit's chunked model format:
// what the model readers make of a file, written as objects, materials and their
// assignments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/model_readers/obj_reader.h"

// What one model object can hold: face counts and vertex numbers are 16-bit.
constexpr size_t kObjMaxFacesPerObject = 65535;
constexpr size_t kObjMaxVerticesPerObject = 65536;
constexpr size_t kObjMaxNameLength = 11;  // what an assignment chunk can carry
constexpr size_t kObjMaxMaterials = 100;  // the loader's material table

// What the converted model holds, for messages and tests.
struct ObjConversionSummary {
  int objects = 0;                     // model objects written (an OBJ object may need several)
  int triangles = 0;                   // triangles after fanning, all kept
  std::vector<std::string> materials;  // names in the model file, in material-number order
  std::vector<std::string> textures;   // per material: the map_Kd file, "" when none
  std::vector<std::string> notes;      // what the format could not hold, each said once
};

// Writes the model file for a mesh the OBJ reader made: objects and groups become object
// slots (as many as their size needs), each material one material chunk with its faces
// assigned; normals and material colours are left out (the format has none), texture
// coordinates kept ((0, 0) where a corner has none). False with "line N: ..." in *error
// when the mesh has more than 100 materials. Names longer than 11 characters are shortened
// to unique ones (said in the notes). The trailer's view vectors are 0.
bool WriteModelBytes(const ObjMesh& mesh, std::vector<uint8_t>* model, std::string* error,
                     ObjConversionSummary* summary = nullptr);

// ReadObj, then WriteModelBytes: the reader's notes come first in the summary.
bool ConvertObjToModel(const std::string& objText, std::vector<uint8_t>* model, std::string* error,
                       ObjConversionSummary* summary = nullptr,
                       const ObjFileReader& readFile = nullptr);

// Converts the OBJ file at `path`, reading its MTL files beside it (ReadObjFile). Texture
// names come back as paths from the current directory. Errors name the file:
// "PATH: line N: ...".
bool ConvertObjFile(const std::string& path, std::vector<uint8_t>* model, std::string* error,
                    ObjConversionSummary* summary = nullptr);

// Converts the model file at `path` of whichever kind its content says (ReadModelFile).
// Refused, with the file named: a file of no known kind, a toolkit model file, a file
// without triangles, and whatever its reader refuses.
bool ConvertModelFile(const std::string& path, std::vector<uint8_t>* model, std::string* error,
                      ObjConversionSummary* summary = nullptr);
