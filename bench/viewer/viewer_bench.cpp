// lumivex-view's costs on a generated torus of 1,000,000 triangles (1000 x 500 quads, a
// texture coordinate per corner, no normals, 8 materials in bands), each against a floor
// measured in the same run:
//   loading: OBJ text to ready to draw (ReadObj, normals, vertex arrays, upload, glFinish)
//            against a bare parse that only splits the same text into words and reads
//            every number (what any OBJ reader must do);
//   frames:  the viewer's frame at 800 x 600 (lights, materials, one draw a material, the
//            status line) against a bare loop that draws the same arrays with the same
//            lighting and nothing else;
//   and beside them the toolkit's own path (--toolkit-draw): the OBJ converted to the model
//   format, LoadModelFile, CompileModelScene, and a frame replaying that list.
// Then the same torus as a GLB (positions, texture coordinates, normals and 32-bit
// indices, a primitive a material) and as a binary STL (with facet normals): the file's
// bytes in memory to ready to draw (read as lumivex-view reads them, straight into vertex
// arrays, uploaded, glFinish) against a bare read of the same buffers: every vertex's
// numbers copied from the file's bytes into the viewer's vertex layout and the indices
// (for STL: one a corner) beside them, uploaded the same way. The floor parses no JSON,
// checks no bound, places nothing by a transform and shares nothing: the least any loader
// of these bytes does to draw them. Then its frame against the bare draw loop.
// Each figure is the best of several runs.
// Usage: viewer_bench [frames (default 10)] [--binary-only: the GLB and STL alone]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "platform/headless/headless_gl.h"
#include "tools/model_readers/gltf_reader.h"
#include "tools/model_readers/obj_reader.h"
#include "tools/model_readers/stl_reader.h"
#include "tools/model_readers/obj_text.h"
#include "tools/viewer/viewer_model.h"
#include "tools/viewer/viewer_view.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMaterials = 8;

double BestMs(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const Clock::time_point start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

// The best times of `a` and `b` run in turns, so that a spell of load on the machine
// falls on both alike.
void BestOfTurns(int runs, const std::function<void()>& a, const std::function<void()>& b,
                 double* bestA, double* bestB) {
  *bestA = *bestB = 1e30;
  for (int i = 0; i < runs; ++i) {
    *bestA = std::min(*bestA, BestMs(1, a));
    *bestB = std::min(*bestB, BestMs(1, b));
  }
}

std::string Torus(int around, int across) {
  std::string obj = "mtllib torus.mtl\no torus\n";
  char line[96];
  for (int i = 0; i <= around; ++i) {
    for (int j = 0; j <= across; ++j) {
      const double a = 2 * M_PI * i / around, b = 2 * M_PI * j / across;
      const double r = 1.0 + 0.35 * std::cos(b);
      std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\nvt %.6f %.6f\n", r * std::cos(a),
                    0.35 * std::sin(b), r * std::sin(a), double(i) / around, double(j) / across);
      obj += line;
    }
  }
  for (int i = 0; i < around; ++i) {
    if (i % (around / kMaterials) == 0) {
      obj += "usemtl band" + std::to_string(i / (around / kMaterials)) + "\ns 1\n";
    }
    for (int j = 0; j < across; ++j) {
      const int a = i * (across + 1) + j + 1, b = a + across + 1;
      std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d %d/%d\n", a, a, b, b, b + 1, b + 1,
                    a + 1, a + 1);
      obj += line;
    }
  }
  return obj;
}

// Every word of the text, every number read with the OBJ reader's own number routine: the
// least any OBJ reader does.
double BareParse(const std::string& text) {
  double sum = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    while (p < end && (*p == ' ' || *p == '\n' || *p == '/')) ++p;
    const char* word = p;
    while (p < end && *p != ' ' && *p != '\n' && *p != '/') ++p;
    float value;
    if (ParseObjFloat(std::string_view(word, static_cast<size_t>(p - word)), &value)) sum += value;
  }
  return sum;
}

// The frame's floor: the same arrays seen from the same place, one draw a material, lit by
// one light, and nothing else.
void BareFrame(const ViewerModel& model, const ViewerCamera& camera) {
  glViewport(0, 0, 800, 600);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const float distance = FramingDistance(model.radius, 800, 600) * camera.zoom;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 800.0 / 600.0, distance - 1.05 * model.radius,
                 distance + 1.05 * model.radius);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glTranslatef(0.0f, 0.0f, -distance);
  glRotatef(camera.pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(camera.yaw, 0.0f, 1.0f, 0.0f);
  glTranslatef(-model.center[0], -model.center[1], -model.center[2]);
  glDisable(GL_TEXTURE_2D);
  BindMeshArrays(model.mesh, model.arrays);
  for (const MaterialRange& range : model.mesh.ranges) {
    DrawMeshRange(model.mesh, model.arrays, range);
  }
  UnbindMeshArrays(model.arrays);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
}

void Put32(std::string* s, uint32_t v) {
  s->append(reinterpret_cast<const char*>(&v), 4);
}
void PutF(std::string* s, float f) {
  s->append(reinterpret_cast<const char*>(&f), 4);
}

struct TorusArrays {
  std::vector<float> positions, uvs, normals;
  std::vector<uint32_t> indices;  // three a triangle, band after band
};

TorusArrays TorusMesh(int around, int across) {
  TorusArrays t;
  for (int i = 0; i <= around; ++i) {
    for (int j = 0; j <= across; ++j) {
      const double a = 2 * M_PI * i / around, b = 2 * M_PI * j / across;
      const double r = 1.0 + 0.35 * std::cos(b);
      t.positions.insert(t.positions.end(), {float(r * std::cos(a)), float(0.35 * std::sin(b)),
                                             float(r * std::sin(a))});
      t.uvs.insert(t.uvs.end(), {float(i) / around, float(j) / across});
      t.normals.insert(t.normals.end(), {float(std::cos(b) * std::cos(a)), float(std::sin(b)),
                                         float(std::cos(b) * std::sin(a))});
    }
  }
  for (int i = 0; i < around; ++i) {
    for (int j = 0; j < across; ++j) {
      const uint32_t a = i * (across + 1) + j, b = a + across + 1;
      t.indices.insert(t.indices.end(), {a, b, b + 1, a, b + 1, a + 1});
    }
  }
  return t;
}

std::string TorusGlb(const TorusArrays& t) {
  std::string bin;
  for (float f : t.positions) PutF(&bin, f);
  for (float f : t.uvs) PutF(&bin, f);
  for (float f : t.normals) PutF(&bin, f);
  for (uint32_t i : t.indices) Put32(&bin, i);
  const size_t vertices = t.positions.size() / 3, band = t.indices.size() / kMaterials;
  std::string json = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
                     R"("nodes":[{"mesh":0}],"meshes":[{"primitives":[)";
  std::string views =
      R"("bufferViews":[{"buffer":0,"byteLength":)" + std::to_string(12 * vertices) +
      R"(},{"buffer":0,"byteOffset":)" + std::to_string(12 * vertices) + R"(,"byteLength":)" +
      std::to_string(8 * vertices) + R"(},{"buffer":0,"byteOffset":)" +
      std::to_string(20 * vertices) + R"(,"byteLength":)" + std::to_string(12 * vertices) + "}";
  std::string accessors = R"("accessors":[{"bufferView":0,"componentType":5126,"count":)" +
                          std::to_string(vertices) +
                          R"(,"type":"VEC3"},{"bufferView":1,)"
                          R"("componentType":5126,"count":)" +
                          std::to_string(vertices) +
                          R"(,"type":"VEC2"},{"bufferView":2,)"
                          R"("componentType":5126,"type":"VEC3","count":)" +
                          std::to_string(vertices) + "}";
  std::string materials = R"("materials":[)";
  for (int m = 0; m < kMaterials; ++m) {
    const std::string n = std::to_string(m);
    json += std::string(m ? "," : "") +
            R"({"attributes":{"POSITION":0,"TEXCOORD_0":1,"NORMAL":2},"indices":)" +
            std::to_string(3 + m) + R"(,"material":)" + n + "}";
    views += R"(,{"buffer":0,"byteOffset":)" + std::to_string(32 * vertices + 4 * band * m) +
             R"(,"byteLength":)" + std::to_string(4 * band) + "}";
    accessors += R"(,{"bufferView":)" + std::to_string(3 + m) +
                 R"(,"componentType":5125,"type":"SCALAR","count":)" + std::to_string(band) + "}";
    char colour[96];
    std::snprintf(colour, sizeof colour,
                  R"(%s{"pbrMetallicRoughness":{"baseColorFactor":[%.2f,%.2f,0.5,1]}})",
                  m ? "," : "", 0.4 + 0.07 * m, 0.9 - 0.06 * m);
    materials += colour;
  }
  json += "]}]," + views + "]," + accessors + "]," + materials + R"(],"buffers":[{"byteLength":)" +
          std::to_string(bin.size()) + "}]}";
  while (json.size() % 4) json += ' ';
  std::string glb = "glTF";
  Put32(&glb, 2);
  Put32(&glb, static_cast<uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
  Put32(&glb, static_cast<uint32_t>(json.size()));
  glb += "JSON" + json;
  Put32(&glb, static_cast<uint32_t>(bin.size()));
  glb += std::string("BIN\0", 4) + bin;
  return glb;
}

std::string TorusStl(const TorusArrays& t) {
  std::string stl(80, ' ');
  Put32(&stl, static_cast<uint32_t>(t.indices.size() / 3));
  for (size_t i = 0; i < t.indices.size(); i += 3) {
    const float* p[3];
    for (int k = 0; k < 3; ++k) p[k] = &t.positions[3 * size_t{t.indices[i + k]}];
    const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const float v[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (float& c : n) PutF(&stl, length > 0 ? c / length : 0.0f);
    for (int k = 0; k < 3; ++k) {
      for (int c = 0; c < 3; ++c) PutF(&stl, p[k][c]);
    }
    stl += std::string(2, '\0');
  }
  return stl;
}

// The floor for a binary format, a bare read of the file's own buffers: every vertex's
// numbers copied from the bytes into the viewer's vertex layout and uploaded, as a loader
// that works nothing out (no JSON, no bounds, no transform, no normals at unit length, no
// materials) would.
void UploadBare(ViewerMesh* mesh) {
  MeshArrays arrays;
  UploadMeshArrays(mesh, HeadlessGL::ProcAddress, &arrays);
  glFinish();
  ReleaseMeshArrays(&arrays);
}

MeshVertex BareVertex(const float* position, const float* normal, const float* uv) {
  MeshVertex v;
  std::memcpy(v.position, position, sizeof v.position);
  std::memcpy(v.normal, normal, sizeof v.normal);
  v.uv[0] = uv ? uv[0] : 0.0f;
  v.uv[1] = uv ? uv[1] : 0.0f;
  std::memset(v.color, 255, sizeof v.color);
  return v;
}

// A format's bytes to ready to draw against the bare upload of its arrays, then its frame
// against the bare loop.
void BenchFormat(const char* name, const std::string& bytes, const std::function<void()>& bare,
                 const std::function<bool(ObjMesh*, IndexedMesh*, std::string*)>& read,
                 int frames) {
  ViewerModel model;
  std::string error;
  double bareMs = 0, loadMs = 0;
  BestOfTurns(
      3, bare,
      [&] {
        ReleaseViewerModel(&model);
        model = ViewerModel();
        ObjMesh source;
        IndexedMesh arrays;
        if (!read(&source, &arrays, &error)) std::fprintf(stderr, "%s: %s\n", name, error.c_str());
        if (arrays.indices.empty())
          std::fprintf(stderr, "%s: not read straight into arrays\n", name);
        FillViewerModel(source, &arrays, &model);
        MakeViewerScene(&model, HeadlessGL::ProcAddress, nullptr);
        glFinish();
      },
      &bareMs, &loadMs);
  std::printf(
      "%s (%zu bytes, %d triangles): loading %.0f ms, bare read of its buffers into arrays, "
      "uploaded, %.0f ms: ratio %.2f (at most 2)\n",
      name, bytes.size(), model.triangles, loadMs, bareMs, loadMs / bareMs);
  const ViewerCamera camera;
  const ViewerDisplay display;
  const std::vector<std::string> status = {ViewerStatusText(model, 0.0)};
  BareFrame(model, camera);
  DrawViewerFrame(model, camera, display, 800, 600, status, false);
  glFinish();
  double floorMs = 0, frameMs = 0;
  BestOfTurns(
      frames,
      [&] {
        BareFrame(model, camera);
        glFinish();
      },
      [&] {
        DrawViewerFrame(model, camera, display, 800, 600, status, false);
        glFinish();
      },
      &floorMs, &frameMs);
  std::printf("%s frame at 800x600: %.1f ms, bare draw loop %.1f ms: ratio %.2f (at most 1.25)\n",
              name, frameMs, floorMs, frameMs / floorMs);
  ReleaseViewerModel(&model);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const bool binaryOnly = argc > 2 && std::string(argv[2]) == "--binary-only";
  const std::string obj = binaryOnly ? std::string() : Torus(1000, 500);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "viewer_bench";
  std::filesystem::create_directories(folder);
  const std::string objFile = (folder / "torus.obj").string();
  std::ofstream(objFile, std::ios::binary) << obj;
  std::string mtl;
  for (int m = 0; m < kMaterials; ++m) {
    char entry[96];
    std::snprintf(entry, sizeof entry, "newmtl band%d\nKd %.2f %.2f %.2f\n", m, 0.4 + 0.07 * m,
                  0.9 - 0.06 * m, 0.5);
    mtl += entry;
  }
  std::ofstream((folder / "torus.mtl").string(), std::ios::binary) << mtl;

  HeadlessGL gl(800, 600);
  if (!gl.ok()) {
    std::fprintf(stderr, "viewer_bench: no headless GL: %s\n", gl.error().c_str());
    return 1;
  }
  SetUpViewerGL();

  if (!binaryOnly) {
    volatile double sink = 0;
    // OBJ text to ready to draw, as lumivex-view does it (the file read is left out: both
    // sides start from the text in memory).
    ViewerModel viewer;
    std::string error;
    size_t vertices = 0;
    double parseMs = 0, loadMs = 0;
    BestOfTurns(
        3, [&] { sink = sink + BareParse(obj); },
        [&] {
          ReleaseViewerModel(&viewer);
          viewer = ViewerModel();
          ObjMesh source;
          if (!ReadObj(obj, &source, &error)) std::fprintf(stderr, "%s\n", error.c_str());
          BuildViewerMesh(source, kCreaseDegrees, &viewer.mesh);
          viewer.materialList = source.materialList;
          viewer.triangles = static_cast<int>(source.Triangles());
          viewer.materials = static_cast<int>(source.materialList.size());
          viewer.radius = viewer.mesh.radius;
          std::copy_n(viewer.mesh.center, 3, viewer.center);
          vertices = viewer.mesh.vertices.size();
          MakeViewerScene(&viewer, HeadlessGL::ProcAddress, nullptr);
          glFinish();
        },
        &parseMs, &loadMs);
    std::printf("model: %d triangles, %d materials, OBJ %zu bytes, %zu vertices in %s\n",
                viewer.triangles, viewer.materials, obj.size(), vertices,
                viewer.arrays.vertexBuffer ? "buffer objects" : "memory");
    std::printf("loading: %.0f ms, bare parse %.0f ms: ratio %.2f (at most 2)\n", loadMs, parseMs,
                loadMs / parseMs);

    // The whole file as the program reads it, for the record.
    ViewerModel fromFile;
    std::vector<std::string> notes;
    const double fileMs = BestMs(1, [&] {
      if (!LoadViewerModel(objFile, false, &fromFile, &error, &notes)) {
        std::fprintf(stderr, "%s\n", error.c_str());
      }
      MakeViewerScene(&fromFile, HeadlessGL::ProcAddress, nullptr);
      glFinish();
    });
    ReleaseViewerModel(&fromFile);
    std::printf("loading torus.obj from the file, as lumivex-view does: %.0f ms\n", fileMs);

    const ViewerCamera camera;
    const ViewerDisplay display;
    const std::vector<std::string> status = {ViewerStatusText(viewer, 0.0)};
    BareFrame(viewer, camera);  // first use
    glFinish();
    DrawViewerFrame(viewer, camera, display, 800, 600, status, false);
    glFinish();
    double floorMs = 0, frameMs = 0;
    BestOfTurns(
        frames,
        [&] {
          BareFrame(viewer, camera);
          glFinish();
        },
        [&] {
          DrawViewerFrame(viewer, camera, display, 800, 600, status, false);
          glFinish();
        },
        &floorMs, &frameMs);
    std::printf(
        "frame at 800x600: %.1f ms (%.1f frames per second), bare draw loop %.1f ms: "
        "ratio %.2f (at most 1.25)\n",
        frameMs, 1000.0 / frameMs, floorMs, frameMs / floorMs);
    ViewerDisplay wire;
    wire.wireframe = true;
    const double wireMs = BestMs(std::max(1, frames / 2), [&] {
      DrawViewerFrame(viewer, camera, wire, 800, 600, status, false);
      glFinish();
    });
    std::printf("frame with the wireframe over it (W): %.1f ms\n", wireMs);
    ReleaseViewerModel(&viewer);

    // The toolkit's path on the same model: a display list of one begin/end a face.
    ViewerModel toolkit;
    const double toolkitLoadMs = BestMs(1, [&] {
      if (!LoadViewerModel(objFile, true, &toolkit, &error, &notes)) {
        std::fprintf(stderr, "%s\n", error.c_str());
      }
      MakeViewerScene(&toolkit, HeadlessGL::ProcAddress, nullptr);
      glFinish();
    });
    DrawViewerFrame(toolkit, camera, display, 800, 600, status, false);
    glFinish();
    const double toolkitFrameMs = BestMs(2, [&] {
      DrawViewerFrame(toolkit, camera, display, 800, 600, status, false);
      glFinish();
    });
    std::printf(
        "toolkit path (--toolkit-draw): loading %.0f ms, frame %.1f ms (%.2f frames per "
        "second): %.1f times the viewer's frame\n",
        toolkitLoadMs, toolkitFrameMs, 1000.0 / toolkitFrameMs, toolkitFrameMs / frameMs);
    ReleaseViewerModel(&toolkit);
  }
  std::filesystem::remove_all(folder);

  // The same torus as a GLB and as a binary STL.
  const TorusArrays torus = TorusMesh(1000, 500);
  const std::string glb = TorusGlb(torus);
  const uint32_t jsonLength = *reinterpret_cast<const uint32_t*>(glb.data() + 12);
  const size_t binStart = 12 + 8 + jsonLength + 8;
  const size_t vertexCount = torus.positions.size() / 3;
  const auto bareGlb = [&] {
    ViewerMesh mesh;
    const char* bin = glb.data() + binStart;
    mesh.vertices.resize(vertexCount);
    for (size_t v = 0; v < vertexCount; ++v) {
      float p[8];
      std::memcpy(p, bin + 12 * v, 12);
      std::memcpy(p + 3, bin + 12 * vertexCount + 8 * v, 8);
      std::memcpy(p + 5, bin + 20 * vertexCount + 12 * v, 12);
      mesh.vertices[v] = BareVertex(p, p + 5, p + 3);
    }
    mesh.indices.resize(torus.indices.size());
    std::memcpy(mesh.indices.data(), bin + 32 * vertexCount, 4 * mesh.indices.size());
    UploadBare(&mesh);
  };
  BenchFormat(
      "GLB", glb, bareGlb,
      [&glb](ObjMesh* mesh, IndexedMesh* arrays, std::string* error) {
        return ReadGltf(glb, true, "", "torus.glb", mesh, error, arrays);
      },
      frames);
  const std::string stl = TorusStl(torus);
  const auto bareStl = [&stl] {
    ViewerMesh mesh;
    const size_t count = (stl.size() - 84) / 50;
    mesh.vertices.resize(3 * count);
    mesh.indices.resize(3 * count);
    for (size_t t = 0; t < count; ++t) {
      float v[12];
      std::memcpy(v, stl.data() + 84 + 50 * t, sizeof v);
      for (int k = 0; k < 3; ++k) {
        mesh.vertices[3 * t + k] = BareVertex(v + 3 + 3 * k, v, nullptr);
        mesh.indices[3 * t + k] = static_cast<uint32_t>(3 * t + k);
      }
    }
    UploadBare(&mesh);
  };
  BenchFormat(
      "binary STL", stl, bareStl,
      [&stl](ObjMesh* mesh, IndexedMesh* arrays, std::string* error) {
        return ReadBinaryStl(stl, mesh, error, arrays);
      },
      frames);
  return 0;
}
