// Feeds arbitrary bytes to the PLY reader. An accepted mesh names only its own positions,
// normals and texture coordinates, and has a colour for every position or none.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/model_readers/ply_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ObjMesh mesh;
  std::string error;
  if (!ReadPly(bytes, "", &mesh, &error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  for (const ObjCorner& c : mesh.corners) {
    if (c.p < 0 || static_cast<size_t>(c.p) >= mesh.positions.size() / 3 ||
        static_cast<size_t>(c.n + 1) > mesh.normals.size() / 3 + 1 ||
        static_cast<size_t>(c.t + 1) > mesh.uvs.size() / 2 + 1) {
      std::abort();
    }
  }
  if (!mesh.colors.empty() && mesh.colors.size() != mesh.positions.size() / 3 * 4) std::abort();
  return 0;
}
