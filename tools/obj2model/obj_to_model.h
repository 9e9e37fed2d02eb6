// Conversion of Wavefront OBJ text into the toolkit's chunked model format: objects and
// groups become object slots, `usemtl` names become materials, polygons are fanned into
// triangles, texture coordinates are kept (0, 0 where a corner has none).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the converted model holds, for messages and tests.
struct ObjConversionSummary {
  int objects = 0;
  int triangles = 0;
  std::vector<std::string> materials;  // in material-number order
};

// Converts `objText` into the bytes of a model file. Returns false with a message in
// *error for text the format cannot carry: bad numbers or indices, a material name longer
// than 11 characters, an object above 65535 triangles or 65536 corners.
// Faces before any `usemtl` get the material "default". The trailer's view vectors are 0.
bool ConvertObjToModel(const std::string& objText, std::vector<uint8_t>* model, std::string* error,
                       ObjConversionSummary* summary = nullptr);
