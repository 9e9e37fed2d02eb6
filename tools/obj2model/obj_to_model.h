// Conversion of Wavefront OBJ text into the toolkit's chunked model format: objects and
// groups become object slots (as many per object as its size needs), `usemtl` names become
// materials with the `map_Kd` texture of their MTL entry, polygons are fanned into
// triangles, texture coordinates are kept (0, 0 where a corner has none).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Reads a file the OBJ names (its `mtllib` files, by the name as written); false when the
// file cannot be read.
using ObjFileReader = std::function<bool(const std::string& name, std::string* text)>;

// Converts `objText` into the bytes of a model file. Returns false with a message that
// starts with the line number in *error for input the converter cannot take: bad numbers,
// a face naming a vertex or texture coordinate that does not exist, an MTL file that
// cannot be read, more than 100 materials. Without `readFile` the `mtllib` lines are
// passed over (the materials then have no texture). Faces before any `usemtl` get the
// material "default"; material names longer than 11 characters are shortened to unique
// ones (said in the notes). Texture names are as the MTL file writes them. The trailer's
// view vectors are 0.
bool ConvertObjToModel(const std::string& objText, std::vector<uint8_t>* model, std::string* error,
                       ObjConversionSummary* summary = nullptr,
                       const ObjFileReader& readFile = nullptr);

// Converts the OBJ file at `path`, reading its MTL files beside it. Texture names come
// back as paths from the current directory (the OBJ's folder, the MTL's folder, then the
// name). Errors name the file: "PATH: line N: ...".
bool ConvertObjFile(const std::string& path, std::vector<uint8_t>* model, std::string* error,
                    ObjConversionSummary* summary = nullptr);
