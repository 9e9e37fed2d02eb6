// Choosing the reader for a file by its content.
#include "tools/model_readers/model_reader.h"

#include "tools/model_readers/gltf_reader.h"
#include "tools/model_readers/obj_text.h"
#include "tools/model_readers/ply_reader.h"
#include "tools/model_readers/stl_reader.h"

bool ReadModelFile(const std::string& path, ObjMesh* mesh, std::string* error, ModelKind* kind,
                   IndexedMesh* arrays) {
  if (arrays) *arrays = IndexedMesh();
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) {
    *error = path + ": cannot open the file";
    return false;
  }
  const ModelKind found =
      DetectModelKind(std::string_view(bytes).substr(0, 4096), static_cast<uint64_t>(bytes.size()));
  if (kind) *kind = found;
  const std::string folder = ObjFolderOf(path);
  bool ok = false;
  switch (found) {
    case ModelKind::kObj:
      return ReadObjFile(path, mesh, error);  // its errors name the file already
    case ModelKind::kGltf:
    case ModelKind::kGlb:
      ok =
          ReadGltf(bytes, found == ModelKind::kGlb, folder, ObjBaseName(path), mesh, error, arrays);
      break;
    case ModelKind::kStlAscii:
      ok = ReadAsciiStl(bytes, mesh, error);
      break;
    case ModelKind::kStlBinary:
      ok = ReadBinaryStl(bytes, mesh, error, arrays);
      break;
    case ModelKind::kPly:
      ok = ReadPly(bytes, folder, mesh, error);
      break;
    case ModelKind::kToolkit:
      *error = "a toolkit model file";
      break;
    case ModelKind::kUnknown:
      *error = std::string("not a model file of a known kind (") + kModelFormats + ")";
      break;
  }
  if (!ok) *error = path + ": " + *error;
  return ok;
}
