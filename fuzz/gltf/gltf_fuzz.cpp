// Feeds arbitrary bytes to the glTF reader, as a GLB when they start with "glTF" and as
// JSON otherwise; URIs point into a folder that does not exist. A mesh it accepts must
// hold only corners that name its own positions, normals and texture coordinates; read
// straight into arrays, the same file must be accepted or refused alike, with the same
// triangles' count, every vertex number naming a vertex and the ranges covering them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/model_readers/gltf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const bool binary = bytes.compare(0, 4, "glTF") == 0;
  ObjMesh mesh, kept;
  IndexedMesh arrays;
  std::string error, directError;
  const bool ok = ReadGltf(bytes, binary, "/nonexistent-lumivex/", "fuzz", &mesh, &error);
  const bool directOk =
      ReadGltf(bytes, binary, "/nonexistent-lumivex/", "fuzz", &kept, &directError, &arrays);
  if (ok != directOk || error != directError) std::abort();
  if (!ok) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (!arrays.indices.empty()) {
    if (arrays.indices.size() != 3 * mesh.Triangles()) std::abort();
    size_t covered = 0;
    for (const MaterialRange& r : arrays.ranges) {
      if (r.first != covered || r.material < 0 ||
          static_cast<size_t>(r.material) >= kept.materialList.size()) {
        std::abort();
      }
      covered += r.count;
    }
    if (covered != arrays.indices.size()) std::abort();
    for (uint32_t v : arrays.indices) {
      if (v >= arrays.vertices.size()) std::abort();
    }
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
