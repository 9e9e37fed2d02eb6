// Loading for the viewer: OBJ files through the OBJ reader, model files through the
// toolkit's LoadModelFile, both made into the viewer's mesh; for the toolkit's own drawing
// an OBJ is converted to the model format in a scratch file and read back.
#include "tools/viewer/viewer_model.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "toolkit/model_draw.h"
#include "tools/model_readers/model_reader.h"
#include "tools/obj2model/obj_to_model.h"

namespace fs = std::filesystem;

namespace {

// A folder of its own under the system's temporary folder, removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; !ec && attempt < 100; ++attempt) {
      const fs::path candidate =
          base / ("lumivex-view-" + std::to_string(stamp) + "-" + std::to_string(attempt));
      if (fs::create_directory(candidate, ec)) {
        path_ = candidate;
        return;
      }
    }
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// LoadModelFile writes test.txt into the current folder: it runs inside `folder`.
void LoadInFolder(ModelScene* scene, const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  const fs::path previous = fs::current_path(ec);
  const bool moved = !ec && !folder.empty() && (fs::current_path(folder, ec), !ec);
  LoadModelFile(scene, file.string().c_str());
  if (moved) fs::current_path(previous, ec);
}

// The toolkit's scene of an OBJ file: written in the model format and read back, as
// obj2model and LoadModelFile would.
bool LoadConvertedScene(const ObjMesh& mesh, const std::string& path, ModelScene* scene,
                        std::string* error, std::vector<std::string>* notes) {
  std::vector<uint8_t> bytes;
  ObjConversionSummary summary;
  if (!WriteModelBytes(mesh, &bytes, error, &summary)) {
    *error = path + ": " + *error;
    return false;
  }
  ScratchFolder scratch;
  if (scratch.path().empty()) {
    *error = "no scratch folder for the converted model";
    return false;
  }
  const fs::path converted = scratch.path() / "converted.model";
  std::ofstream out(converted, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    *error = "cannot write the converted model into " + scratch.path().string();
    return false;
  }
  LoadInFolder(scene, converted, scratch.path());
  if (notes) *notes = summary.notes;
  return true;
}

int CountObjects(const ObjMesh& mesh) {
  return mesh.Triangles() == 0 ? 0 : static_cast<int>(mesh.groupStarts.size()) + 1;
}

}  // namespace

bool LoadViewerModel(const std::string& path, bool toolkitDraw, ViewerModel* model,
                     std::string* error, std::vector<std::string>* notes) {
  *model = ViewerModel();
  model->name = fs::path(path).filename().string();
  model->toolkitDraw = toolkitDraw;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    *error = path + ": no such file";
    return false;
  }
  std::ifstream probe(path, std::ios::binary);
  if (!probe) {
    *error = path + ": cannot open the file";
    return false;
  }
  probe.close();

  ObjMesh source;
  ModelKind kind = ModelKind::kUnknown;
  // The viewer's own drawing takes the arrays straight from the readers that give them.
  IndexedMesh direct;
  int toolkitObjects = -1;  // a toolkit model file's, counted before its scene is freed
  if (ReadModelFile(path, &source, error, &kind, toolkitDraw ? nullptr : &direct)) {
    if (notes) *notes = source.notes;
    if (toolkitDraw && !LoadConvertedScene(source, path, &model->scene, error, notes)) {
      return false;
    }
  } else if (kind == ModelKind::kToolkit) {
    ScratchFolder scratch;
    LoadInFolder(&model->scene, fs::absolute(path, ec), scratch.path());
    int highest = -1;
    for (uint32_t k = 0; model->scene.objects && k <= model->scene.lastObject; ++k) {
      const ModelObject& o = model->scene.objects[k];
      for (uint32_t s = 1; o.faces && s <= o.faceCount; ++s) {
        highest = std::max(highest, static_cast<int>(o.faces[s].material));
      }
    }
    SceneToObjMesh(model->scene, highest + 1, &source);
    toolkitObjects = static_cast<int>(model->scene.lastObject) + 1;
    if (model->scene.lightsOn == 1) {
      model->lightCount =
          static_cast<int>(std::min<uint32_t>(model->scene.lastLight + 1, kModelMaxLights));
      std::copy_n(model->scene.lights, model->lightCount, model->lights);
    }
    if (!toolkitDraw) FreeModelScene(&model->scene);
  } else {
    return false;
  }
  if (source.Triangles() == 0 && direct.indices.empty()) {
    *error = path + ": the model has no triangles";
    FreeModelScene(&model->scene);
    return false;
  }
  // The toolkit's path frames the model the same way, from the same arrays.
  FillViewerModel(source, &direct, model);
  if (toolkitObjects >= 0) model->objects = toolkitObjects;
  return true;
}

void FillViewerModel(const ObjMesh& source, IndexedMesh* arrays, ViewerModel* model) {
  model->materialList = source.materialList;
  model->materials = static_cast<int>(source.materialList.size());
  if (arrays && !arrays->indices.empty()) {
    model->objects = arrays->objects;
    model->triangles = static_cast<int>(arrays->indices.size() / 3);
    static_cast<IndexedMesh&>(model->mesh) = std::move(*arrays);
    *arrays = IndexedMesh();
    FrameViewerMesh(&model->mesh);
  } else {
    model->objects = CountObjects(source);
    model->triangles = static_cast<int>(source.Triangles());
    BuildViewerMesh(source, kCreaseDegrees, &model->mesh);
  }
  std::copy_n(model->mesh.center, 3, model->center);
  model->radius = model->mesh.radius;
}

void MakeViewerScene(ViewerModel* model, GLProcLoader load, std::vector<std::string>* warnings) {
  model->textures = MakeMaterialTextures(model->materialList, warnings);
  if (!model->toolkitDraw) {
    UploadMeshArrays(&model->mesh, load, &model->arrays);
    return;
  }
  // The toolkit binds a texture for every face: plain materials get a white one.
  TexturePicture white;
  white.width = white.height = 1;
  white.rgba.assign(4, 255);
  GLuint plain = 0;
  for (const MaterialTexture& texture : model->textures) {
    if (!texture.name && !plain) plain = UploadTexturePicture(white);
    model->listTextures.push_back(texture.name ? texture.name : plain);
  }
  if (model->listTextures.empty()) model->listTextures.push_back(UploadTexturePicture(white));
  CompileModelScene(&model->scene, model->listTextures.data(), &model->list);
}

void ReleaseViewerModel(ViewerModel* model) {
  ReleaseMeshArrays(&model->arrays);
  if (model->list) glDeleteLists(model->list, 1);
  model->list = 0;
  // The white texture may stand for several materials: each name is deleted once.
  for (GLuint name : model->listTextures) model->textures.push_back({name, false});
  model->listTextures.clear();
  DeleteMaterialTextures(&model->textures);
  FreeModelScene(&model->scene);
}
