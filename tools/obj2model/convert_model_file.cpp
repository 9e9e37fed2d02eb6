// Converting a model file of any kind the readers take: apart from obj_to_model.cpp, so
// the OBJ fuzzer links the OBJ reader alone.
#include "tools/model_readers/model_reader.h"
#include "tools/obj2model/obj_to_model.h"

bool ConvertModelFile(const std::string& path, std::vector<uint8_t>* model, std::string* error,
                      ObjConversionSummary* summary) {
  ObjMesh mesh;
  ModelKind kind = ModelKind::kUnknown;
  if (!ReadModelFile(path, &mesh, error, &kind)) {
    if (kind == ModelKind::kToolkit) *error = path + ": already a toolkit model file";
    return false;
  }
  if (mesh.Triangles() == 0) {
    *error = path + ": no triangles in the " + ModelKindName(kind) + " file";
    return false;
  }
  if (!WriteModelBytes(mesh, model, error, summary)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}
