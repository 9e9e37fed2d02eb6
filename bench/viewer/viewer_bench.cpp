// lumivex-view's costs on a generated torus of 100,000 triangles (250 x 200 quads, a
// texture coordinate per corner, two materials):
//   conversion: ConvertObjToModel against a floor that only splits the same text into
//               words and reads every number (what any OBJ reader must do);
//   loading:    LoadModelFile of the converted file;
//   frames:     the viewer's frame (the compiled scene and the status line) at 800 x 600,
//               offscreen on the headless GL, against a frame that only clears.
// Each figure is the best of several runs. Usage: viewer_bench [frames (default 20)]
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
#include "tools/obj2model/obj_to_model.h"
#include "tools/viewer/viewer_model.h"
#include "tools/viewer/viewer_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double BestMs(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const Clock::time_point start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

std::string Torus(int around, int across) {
  std::string obj = "o torus\n";
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
    obj += i == 0 ? "usemtl outer\n" : i == around / 2 ? "usemtl inner\n" : "";
    for (int j = 0; j < across; ++j) {
      const int a = i * (across + 1) + j + 1, b = a + across + 1;
      std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d %d/%d\n", a, a, b, b, b + 1, b + 1,
                    a + 1, a + 1);
      obj += line;
    }
  }
  return obj;
}

// Every word of the text, every number read: the least an OBJ reader does.
double BareParse(const std::string& text) {
  double sum = 0;
  const char* p = text.c_str();
  while (*p) {
    while (*p == ' ' || *p == '\n' || *p == '/') ++p;
    char* end = nullptr;
    const double value = std::strtod(p, &end);
    if (end != p) {
      sum += value;
      p = end;
    } else {
      while (*p && *p != ' ' && *p != '\n' && *p != '/') ++p;
    }
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::string obj = Torus(250, 200);

  volatile double sink = 0;
  const double floorMs = BestMs(3, [&] { sink = sink + BareParse(obj); });
  std::vector<uint8_t> model;
  ObjConversionSummary summary;
  std::string error;
  const double convertMs = BestMs(3, [&] {
    if (!ConvertObjToModel(obj, &model, &error, &summary))
      std::fprintf(stderr, "%s\n", error.c_str());
  });
  std::printf("conversion: %d triangles, %d objects, OBJ %zu bytes -> model %zu bytes\n",
              summary.triangles, summary.objects, obj.size(), model.size());
  std::printf("conversion: %.1f ms, bare parse %.1f ms: ratio %.2f\n", convertMs, floorMs,
              convertMs / floorMs);

  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "viewer_bench";
  std::filesystem::create_directories(folder);
  const std::string objFile = (folder / "torus.obj").string();
  std::ofstream(objFile, std::ios::binary) << obj;
  ViewerModel viewer;
  std::vector<std::string> notes;
  const double loadMs = BestMs(1, [&] {
    if (!LoadViewerModel(objFile, &viewer, &error, &notes))
      std::fprintf(stderr, "%s\n", error.c_str());
  });
  std::printf("load in the viewer (conversion and LoadModelFile): %.1f ms\n", loadMs);

  HeadlessGL gl(800, 600);
  if (!gl.ok()) {
    std::fprintf(stderr, "viewer_bench: no headless GL: %s\n", gl.error().c_str());
    return 1;
  }
  SetUpViewerGL();
  MakeViewerScene(&viewer, &notes);
  const ViewerCamera camera;
  const std::string status = ViewerStatusText(viewer, 0.0);
  const double clearMs = BestMs(frames, [] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
  });
  DrawViewerFrame(viewer, camera, 800, 600, status, false);  // first use
  glFinish();
  const double frameMs = BestMs(frames, [&] {
    DrawViewerFrame(viewer, camera, 800, 600, status, false);
    glFinish();
  });
  std::printf(
      "frame at 800x600: %.1f ms (%.1f frames per second), clear-only %.2f ms: ratio %.0f\n",
      frameMs, 1000.0 / frameMs, clearMs, frameMs / clearMs);
  ReleaseViewerModel(&viewer);
  std::filesystem::remove_all(folder);
  return 0;
}
