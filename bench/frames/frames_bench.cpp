// Time per frame of every scene of the show, drawn offscreen at 800 x 600 with the
// shipped pictures, as a ratio to a floor frame measured in the same run: a frame that
// only clears and waits for the GL to finish. The music's order comes from the scripted
// platform, so each scene is held for as many frames as asked.
//
// Usage: frames_bench [frames per scene (default 120)] [scene name: only that one]
// Run from the repository root (the pictures are read from data/).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "resources/jpeg_texture.h"
#include "resources/startup.h"
#include "show/gallery.h"
#include "show/intro.h"
#include "show/next_random.h"
#include "show/particle_field.h"
#include "tests/support/fake_platform.h"
#include "tests/support/gl_fixture.h"

namespace {

struct Scene {
  const char* name;
  std::function<void()> frame;
};

void SetOrder(int order) {
  fake::state.position = [order] { return static_cast<uint32_t>(order); };
}

// The GL defaults and resources of start-up, without the error log or the music.
void PrepareShow() {
  SetRenderDefaults();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_POLYGON_SMOOTH);
  for (int i = 0; i < kTextureCount; ++i) {
    if (!qenLoadJPEGTexture(kTextureFiles[i], &showTextures[i])) {
      std::fprintf(stderr, "frames_bench: %s did not load (run from the repository root)\n",
                   kTextureFiles[i]);
    }
  }
  quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
  ResetRandom();
  Build(particleField, 40, 1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 800.0 / 600.0, static_cast<double>(0.1f), 1000000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// A few frames first, so that the GL has compiled what the scene needs.
void WarmUp(const std::function<void()>& frame) {
  for (int i = 0; i < 3; ++i) {
    frame();
    glFinish();
  }
}

// Seconds per frame over `frames` frames, each finished before the next begins (as a
// buffer swap would).
double TimeFrames(const std::function<void()>& frame, int frames) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    frame();
    glFinish();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / frames;
}

}  // namespace

// Out of line and named, so a profiler can collect exactly the timed frames of a scene.
__attribute__((noinline)) double MeasureScene(const Scene& scene, int frames) {
  return TimeFrames(scene.frame, frames);
}

void RunScenes(const std::vector<Scene>& scenes, int frames, const char* only) {
  const auto clearOnly = [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); };
  WarmUp(clearOnly);
  const double floor = TimeFrames(clearOnly, frames);
  std::printf("%-22s %10s %8s\n", "scene", "ms/frame", "x floor");
  std::printf("%-22s %10.3f %8.2f\n", "floor (clear only)", floor * 1e3, 1.0);
  for (const Scene& scene : scenes) {
    if (only && std::strcmp(only, scene.name) != 0) continue;
    WarmUp(scene.frame);
    const double t = MeasureScene(scene, frames);
    std::printf("%-22s %10.3f %8.2f\n", scene.name, t * 1e3, t / floor);
  }
}

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 120;
  const char* only = argc > 2 ? argv[2] : nullptr;
  HeadlessGL gl(800, 600);
  if (!gl.ok()) {
    std::fprintf(stderr, "frames_bench: no headless GL: %s\n", gl.error().c_str());
    return 1;
  }
  PrepareShow();

  auto intro = [](int order) {
    return [order] {
      SetOrder(order);
      introPhase = 1;
      DrawIntro();
    };
  };
  auto gallery = [](int set) {
    return [set] {
      gallerySet = set;
      DrawGallery();
    };
  };
  const std::vector<Scene> scenes = {
      {"logo", intro(0)},
      {"tunnel", intro(2)},
      {"tunnel+panel", intro(3)},
      {"spheres", intro(4)},
      {"spheres+panel", intro(5)},
      {"gallery set 1", gallery(1)},
      {"gallery set 2", gallery(2)},
      {"gallery set 3", gallery(3)},
  };
  std::printf("%d frames per scene, 800 x 600, %s\n", frames,
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  RunScenes(scenes, frames, only);
  return 0;
}
