// Feeds arbitrary bytes to the glTF reader, as a GLB when they start with "glTF" and as
// JSON otherwise; URIs point into a folder that does not exist. A mesh it accepts must
// hold only corners that name its own positions, normals and texture coordinates.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/model_readers/gltf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ObjMesh mesh;
  std::string error;
  if (!ReadGltf(bytes, bytes.compare(0, 4, "glTF") == 0, "/nonexistent-lumivex/", "fuzz", &mesh,
                &error)) {
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
