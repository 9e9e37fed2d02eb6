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
// Each figure is the best of several runs. Usage: viewer_bench [frames (default 10)]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "platform/headless/headless_gl.h"
#include "tools/model_readers/obj_reader.h"
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

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const std::string obj = Torus(1000, 500);
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
  std::filesystem::remove_all(folder);
  return 0;
}
