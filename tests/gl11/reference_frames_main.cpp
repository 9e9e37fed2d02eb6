// The comparison frames drawn through desktop GL (Mesa's compatibility profile, headless):
//   gl11_reference_frames FOLDER
// writes FOLDER/<scene>.ppm for every scene. Run from the repository root.
#include <cstdio>
#include <string>

#include "platform/headless/headless_gl.h"
#include "tests/gl11/frame_file.h"
#include "tests/gl11/scenes.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gl11_reference_frames FOLDER\n");
    return 2;
  }
  // Never destroyed (tearing Mesa down after LLVM's statics are gone can hang), and held by
  // a static so that the leak check sees it reachable.
  static HeadlessGL* gl = new HeadlessGL(gl11test::kWidth, gl11test::kHeight);
  if (!gl->ok()) {
    std::fprintf(stderr, "gl11_reference_frames: %s\n", gl->error().c_str());
    return 1;
  }
  gl11test::StartShow();
  const auto& names = gl11test::SceneNames();
  for (size_t i = 0; i < names.size(); ++i) {
    gl11test::DrawScene(static_cast<int>(i));
    const std::string path = std::string(argv[1]) + "/" + names[i] + ".ppm";
    if (!gl11test::WriteFrame(path, gl11test::kWidth, gl11test::kHeight, gl->ReadFrameTopDown())) {
      std::fprintf(stderr, "gl11_reference_frames: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
