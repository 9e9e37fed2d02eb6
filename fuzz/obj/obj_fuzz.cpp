// Feeds arbitrary text to the OBJ converter: the input up to a line "=MTL=" is the OBJ,
// the rest the text of every MTL file it names. A converted model must account for every
// triangle it reports and name a texture slot per material.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/obj2model/obj_to_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find("\n=MTL=\n");
  const std::string obj = input.substr(0, split);
  const std::string mtl = split == std::string::npos ? std::string() : input.substr(split + 7);
  const ObjFileReader readFile = [&mtl](const std::string& name, std::string* text) {
    if (name.size() % 2) return false;  // some files are missing
    *text = mtl;
    return true;
  };
  std::vector<uint8_t> model;
  std::string error;
  ObjConversionSummary summary;
  if (!ConvertObjToModel(obj, &model, &error, &summary, readFile)) {
    if (error.compare(0, 5, "line ") != 0) std::abort();  // every refusal names its line
    return 0;
  }
  // Header, an object chunk per object (24 bytes at least), end tag, trailer; six bytes of
  // vertex numbers and two of assignment a triangle.
  const size_t least = 4 + 24 * static_cast<size_t>(summary.objects) + 2 + 24 +
                       8 * static_cast<size_t>(summary.triangles);
  if (model.size() < least || summary.textures.size() != summary.materials.size()) std::abort();
  for (const std::string& name : summary.materials) {
    if (name.empty() || name.size() > kObjMaxNameLength) std::abort();
  }
  return 0;
}
