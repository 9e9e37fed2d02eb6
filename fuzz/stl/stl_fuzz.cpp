// Feeds arbitrary bytes to the STL readers: both encodings, whatever the kind test says.
// An accepted mesh is whole triangles naming its own positions; a binary file read
// straight into arrays is accepted or refused alike, with three vertices a triangle.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/model_readers/stl_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const bool binary : {true, false}) {
    ObjMesh mesh;
    std::string error;
    const bool ok =
        binary ? ReadBinaryStl(bytes, &mesh, &error) : ReadAsciiStl(bytes, &mesh, &error);
    if (!ok) {
      if (error.empty() || error.find('\n') != std::string::npos) std::abort();
      continue;
    }
    for (const ObjCorner& c : mesh.corners) {
      if (c.p < 0 || static_cast<size_t>(c.p) >= mesh.positions.size() / 3) std::abort();
    }
    if (mesh.Faces() != mesh.materials.size()) std::abort();
  }
  ObjMesh mesh, kept;
  IndexedMesh arrays;
  std::string error, directError;
  if (ReadBinaryStl(bytes, &mesh, &error) != ReadBinaryStl(bytes, &kept, &directError, &arrays) ||
      error != directError) {
    std::abort();
  }
  if (!arrays.indices.empty() && (arrays.vertices.size() != 3 * mesh.Triangles() ||
                                  arrays.indices.size() != arrays.vertices.size())) {
    std::abort();
  }
  return 0;
}
