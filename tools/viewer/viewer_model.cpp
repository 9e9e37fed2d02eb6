// Loading for the viewer: model files as they are, OBJ files through obj2model's converter
// into a scratch file, textures from the MTL's map_Kd files.
#include "tools/viewer/viewer_model.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/platform.h"
#include "resources/jpeg_decode.h"
#include "toolkit/bmp_texture.h"
#include "toolkit/model_draw.h"
#include "tools/obj2model/obj_to_model.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Extension(const std::string& path) {
  return Lower(fs::path(path).extension().string());
}

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

void MeasureScene(ViewerModel* model) {
  const ModelScene& scene = model->scene;
  float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF}, high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
  int triangles = 0, highestMaterial = -1;
  for (uint32_t k = 0; scene.objects && k <= scene.lastObject; ++k) {
    const ModelObject& o = scene.objects[k];
    for (uint32_t s = 1; o.faces && s <= o.faceCount; ++s) {
      ++triangles;
      highestMaterial = std::max(highestMaterial, static_cast<int>(o.faces[s].material));
      for (const ModelCorner& c : o.faces[s].corners) {
        const float p[3] = {c.x + o.position[0], c.y + o.position[1], c.z + o.position[2]};
        for (int i = 0; i < 3; ++i) {
          low[i] = std::min(low[i], p[i]);
          high[i] = std::max(high[i], p[i]);
        }
      }
    }
  }
  model->triangles = triangles;
  model->objects = static_cast<int>(scene.lastObject) + 1;
  model->materials = std::max(model->materials, highestMaterial + 1);
  if (triangles == 0) return;
  for (int i = 0; i < 3; ++i) model->center[i] = 0.5f * (low[i] + high[i]);
  // The farthest corner from the box's middle: tighter than the box's corner for round
  // models, so they fill the view.
  double radius2 = 0;
  for (uint32_t k = 0; k <= scene.lastObject; ++k) {
    const ModelObject& o = scene.objects[k];
    for (uint32_t s = 1; o.faces && s <= o.faceCount; ++s) {
      for (const ModelCorner& c : o.faces[s].corners) {
        const double d[3] = {double(c.x) + o.position[0] - model->center[0],
                             double(c.y) + o.position[1] - model->center[1],
                             double(c.z) + o.position[2] - model->center[2]};
        radius2 = std::max(radius2, d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      }
    }
  }
  const double radius = std::sqrt(radius2);
  // A model of one point still needs a view of some size.
  model->radius = radius > 0 && std::isfinite(radius) ? static_cast<float>(radius) : 1.0f;
}

GLuint UploadRgb(int width, int height, const uint8_t* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are packed at 3 x width bytes
  glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

// OBJ texture coordinates put v = 0 at the bottom of the picture; the JPEG decoder gives the
// top row first, so the rows are turned over before the upload (t = 0 is the first row).
GLuint LoadJpegTexture(const std::string& file) {
  RGBImage* image = DecodeJPEGFile(file.c_str());
  if (!image) return 0;
  const size_t stride = static_cast<size_t>(image->width) * 3;
  std::vector<uint8_t> rows(stride * image->height);
  for (int y = 0; y < image->height; ++y) {
    std::copy_n(image->pixels + stride * (image->height - 1 - y), stride,
                rows.begin() + stride * y);
  }
  const GLuint name = UploadRgb(image->width, image->height, rows.data());
  FreeRGBImage(image);
  return name;
}

}  // namespace

bool LoadViewerModel(const std::string& path, ViewerModel* model, std::string* error,
                     std::vector<std::string>* notes) {
  *model = ViewerModel();
  model->name = fs::path(path).filename().string();
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

  ScratchFolder scratch;
  if (Extension(path) == ".obj") {
    std::vector<uint8_t> bytes;
    ObjConversionSummary summary;
    if (!ConvertObjFile(path, &bytes, error, &summary)) return false;
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
    LoadInFolder(&model->scene, converted, scratch.path());
    model->textureFiles = summary.textures;
    model->materials = static_cast<int>(summary.materials.size());
    if (notes) *notes = summary.notes;
  } else {
    LoadInFolder(&model->scene, fs::absolute(path, ec), scratch.path());
  }
  MeasureScene(model);
  if (model->triangles == 0) {
    *error = path + ": the model has no triangles";
    FreeModelScene(&model->scene);
    return false;
  }
  model->textureFiles.resize(model->materials);
  return true;
}

void MakeViewerScene(ViewerModel* model, std::vector<std::string>* warnings) {
  GLuint white = 0;
  const uint8_t whitePixel[3] = {255, 255, 255};
  for (const std::string& file : model->textureFiles) {
    GLuint name = 0;
    if (!file.empty()) {
      const std::string extension = Extension(file);
      if (extension == ".bmp") {
        LoadBitmapTexture(file.c_str(), &name);
      } else if (extension == ".jpg" || extension == ".jpeg") {
        name = LoadJpegTexture(file);
      } else if (warnings) {
        warnings->push_back(file + ": only BMP and JPEG pictures are read; drawn white");
      }
      if (!name && warnings &&
          (extension == ".bmp" || extension == ".jpg" || extension == ".jpeg")) {
        warnings->push_back(file + ": cannot be read; drawn white");
      }
    }
    if (!name) {
      if (!white) white = UploadRgb(1, 1, whitePixel);
      name = white;
    }
    model->textures.push_back(name);
  }
  if (model->textures.empty()) model->textures.push_back(UploadRgb(1, 1, whitePixel));
  CompileModelScene(&model->scene, model->textures.data(), &model->list);
}

void ReleaseViewerModel(ViewerModel* model) {
  if (model->list) glDeleteLists(model->list, 1);
  model->list = 0;
  // The white texture may stand for several materials: each name is deleted once.
  std::vector<GLuint> names = model->textures;
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  if (!names.empty()) glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
  model->textures.clear();
  FreeModelScene(&model->scene);
}
