// lumivex-view FILE [--size WxH] [--shot OUT.png] [--wireframe] [--headlight]
// [--toolkit-draw]: shows a model in a window of the platform layer, or draws one frame
// headless into a PNG file.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "lumivex/build_info.h"  // the version; LUMIVEX_DATA_DIR in installed builds
#include "platform/gl_api.h"
#include "platform/platform.h"
#include "toolkit/font.h"
#include "tools/viewer/viewer_model.h"
#include "tools/viewer/viewer_options.h"
#include "tools/viewer/viewer_png.h"
#include "tools/viewer/viewer_view.h"

#ifdef LUMIVEX_VIEWER_SHOT
#include "platform/headless/headless_gl.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kClassName[] = "LumivexView";
constexpr double kMessageSeconds = 4.0;  // how long a saved picture's name stays shown

// What the window procedure changes.
struct WindowState {
  ViewerCamera camera;
  ViewerDisplay display;
  uint8_t keys[256] = {};
  int width = 0, height = 0;
  bool saveView = false;
  std::string dropped;  // a file dropped on the window, to open in place of the model
} window;

// A key's first press (held keys repeat their key-down messages).
void KeyPressed(uintptr_t key) {
  switch (key) {
    case kVkEscape:
      PlatformPostQuitMessage(0);
      break;
    case 'W':
      window.display.wireframe = !window.display.wireframe;
      break;
    case 'H':
      window.display.headlight = !window.display.headlight;
      break;
    case 'R':
      window.camera = ViewerCamera();
      break;
    case 'S':
      window.saveView = true;
      break;
    default:
      break;
  }
}

intptr_t ViewerWindowProc(WindowHandle handle, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) {
  if (CameraHandleMessage(&window.camera, message, wParam, lParam)) return 0;
  switch (message) {
    case kWmClose:
      PlatformPostQuitMessage(0);
      return 0;
    case kWmKeyDown:
      if (wParam < sizeof window.keys) {
        if (!window.keys[wParam]) KeyPressed(wParam);
        window.keys[wParam] = 1;
      }
      return 0;
    case kWmDropFiles:
      window.dropped = PlatformDroppedFile();
      return 0;
    case kWmKeyUp:
      if (wParam < sizeof window.keys) window.keys[wParam] = 0;
      return 0;
    case kWmSize: {
      const uint32_t size = static_cast<uint32_t>(lParam);
      window.width = static_cast<int>(size & 0xFFFFu);
      window.height = static_cast<int>(size >> 16);
      return 0;
    }
    default:
      return PlatformDefWindowProc(handle, message, wParam, lParam);
  }
}

// The glyph picture: an installed build's beside the show's data folder (viewer/font.bmp),
// else beside the program (the build and the tarball put it there), else in the source
// tree's tools/viewer/data.
std::string FontFile(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (LUMIVEX_DATA_DIR[0] != '\0') {
    const fs::path installed = fs::path(LUMIVEX_DATA_DIR).parent_path() / "viewer/font.bmp";
    if (fs::is_regular_file(installed, ec)) return installed.string();
  }
  const fs::path besideProgram = fs::path(argv0).parent_path() / "font.bmp";
  if (fs::is_regular_file(besideProgram, ec)) return besideProgram.string();
#ifdef LUMIVEX_VIEWER_DATA
  const fs::path inSource = fs::path(LUMIVEX_VIEWER_DATA) / "font.bmp";
  if (fs::is_regular_file(inSource, ec)) return inSource.string();
#endif
  return besideProgram.string();
}

void PrepareScene(ViewerModel* model, GLProcLoader load, bool* fontReady,
                  const std::string& fontFile) {
  SetUpViewerGL();
  std::vector<std::string> warnings;
  MakeViewerScene(model, load, &warnings);
  for (const std::string& w : warnings) std::fprintf(stderr, "lumivex-view: %s\n", w.c_str());
  *fontReady = SetUpViewerFont(fontFile);
  if (!*fontReady) {
    std::fprintf(stderr, "lumivex-view: no font at %s: no status line\n", fontFile.c_str());
  }
}

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The frame just drawn, as RGB rows top first.
std::vector<uint8_t> ReadFrame(int width, int height) {
  const size_t row = 3 * static_cast<size_t>(width);
  std::vector<uint8_t> bottomUp(row * height), topDown(row * height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int y = 0; y < height; ++y) {  // glReadPixels gives the bottom row first
    std::copy_n(&bottomUp[row * (height - 1 - y)], row, &topDown[row * y]);
  }
  return topDown;
}

// The view as it is, without the status lines, as NAME-N.png in the current folder.
std::string SaveView(const ViewerModel& model) {
  DrawViewerFrame(model, window.camera, window.display, window.width, window.height, {}, false);
  const std::vector<uint8_t> frame = ReadFrame(window.width, window.height);
  const std::string file = NextFreePngName(std::filesystem::path(model.name).stem().string());
  std::string error;
  if (!WriteViewPng(file, frame.data(), window.width, window.height, &error)) {
    std::fprintf(stderr, "lumivex-view: %s\n", error.c_str());
    return error;
  }
  std::printf("lumivex-view: saved %s\n", file.c_str());
  std::fflush(stdout);  // said now, not when the program ends
  return "saved " + file;
}

#ifdef LUMIVEX_VIEWER_SHOT
int Shot(ViewerModel* model, const ViewerOptions& options, const std::string& fontFile) {
  HeadlessGL gl(options.width, options.height);
  if (!gl.ok()) {
    std::fprintf(stderr, "lumivex-view: no headless GL: %s\n", gl.error().c_str());
    return 1;
  }
  bool fontReady = false;
  PrepareScene(model, HeadlessGL::ProcAddress, &fontReady, fontFile);
  // The first frame pays for first use; the second is timed for the third's status line.
  const ViewerCamera camera;
  ViewerDisplay display;
  display.wireframe = options.wireframe;
  display.headlight = options.headlight;
  DrawViewerFrame(*model, camera, display, options.width, options.height, {}, fontReady);
  glFinish();
  const Clock::time_point start = Clock::now();
  DrawViewerFrame(*model, camera, display, options.width, options.height, {}, fontReady);
  glFinish();
  const double fps = 1.0 / std::max(Seconds(start, Clock::now()), 1e-6);
  DrawViewerFrame(*model, camera, display, options.width, options.height,
                  {ViewerStatusText(*model, fps)}, fontReady);
  const std::vector<uint8_t> frame = gl.ReadFrameTopDown();
  ReleaseViewerModel(model);
  DeleteFontLists();
  std::string error;
  if (!WriteViewPng(options.shot, frame.data(), options.width, options.height, &error)) {
    std::fprintf(stderr, "lumivex-view: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %dx%d, %s\n", options.shot.c_str(), options.width, options.height,
              ViewerStatusText(*model, fps).c_str());
  return 0;
}
#endif

int Window(ViewerModel* model, const ViewerOptions& options, const std::string& fontFile) {
  if (!PlatformRegisterClass(kClassName, ViewerWindowProc)) {
    std::fprintf(stderr, "lumivex-view: no display to open a window on (try --shot)\n");
    return 1;
  }
  const std::string title = "lumivex-view - " + model->name;
  WindowHandle handle = PlatformCreateWindow(
      kClassName, title.c_str(), kWsOverlappedWindow | kWsClipSiblings | kWsClipChildren,
      options.width, options.height);
  DeviceContext dc = handle ? PlatformGetDC(handle) : nullptr;
  PixelFormatDescriptor pfd;
  pfd.dwFlags = kPfdDrawToWindow | kPfdSupportOpenGL | kPfdDoubleBuffer;
  pfd.cColorBits = 24;
  pfd.cDepthBits = 24;
  const int format = dc ? PlatformChoosePixelFormat(dc, &pfd) : 0;
  RenderingContext context =
      format && PlatformSetPixelFormat(dc, format, &pfd) ? PlatformCreateContext(dc) : nullptr;
  if (!context || !PlatformMakeCurrent(dc, context)) {
    std::fprintf(stderr, "lumivex-view: cannot make the window's GL context\n");
    if (context) PlatformDeleteContext(context);
    if (dc) PlatformReleaseDC(handle, dc);
    if (handle) PlatformDestroyWindow(handle);
    return 1;
  }
  window.width = options.width;
  window.height = options.height;
  window.display.wireframe = options.wireframe;
  window.display.headlight = options.headlight;
  PlatformShowWindow(handle);
  bool fontReady = false;
  PrepareScene(model, PlatformGetProcAddress, &fontReady, fontFile);
  std::string saved;  // a saved picture's name, shown for a while in place of the keys
  Clock::time_point savedUntil;

  const Clock::time_point start = Clock::now();
  Clock::time_point last = start, rateFrom = start;
  long frames = 0, rateFrames = 0;
  double fps = -1.0;
  int exitCode = 0;
  for (;;) {
    Message message;
    if (PlatformPeekMessage(&message)) {
      if (message.message == kWmQuit) {
        exitCode = static_cast<int>(message.wParam);
        break;
      }
      PlatformDispatchMessage(&message);
      continue;
    }
    const Clock::time_point now = Clock::now();
    CameraFollowKeys(&window.camera, window.keys, Seconds(last, now));
    last = now;
    // The rate shown is that of the last half second or more.
    if (Seconds(rateFrom, now) >= 0.5) {
      fps = rateFrames / Seconds(rateFrom, now);
      rateFrom = now;
      rateFrames = 0;
    }
    if (!window.dropped.empty()) {
      // The dropped file in place of the model; one that cannot be read is said, and the
      // model stays.
      ViewerModel next;
      std::vector<std::string> notes;
      std::string error;
      if (LoadViewerModel(window.dropped, model->toolkitDraw, &next, &error, &notes)) {
        ReleaseViewerModel(model);
        *model = std::move(next);
        std::vector<std::string> warnings;
        MakeViewerScene(model, PlatformGetProcAddress, &warnings);
        for (const std::string& w : warnings) std::fprintf(stderr, "lumivex-view: %s\n", w.c_str());
        window.camera = ViewerCamera();
        saved = "opened " + model->name;
      } else {
        std::fprintf(stderr, "lumivex-view: %s\n", error.c_str());
        saved = error.size() > 79 ? "..." + error.substr(error.size() - 76) : error;
      }
      savedUntil = now + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(kMessageSeconds));
      window.dropped.clear();
    }
    if (window.saveView) {
      window.saveView = false;
      saved = SaveView(*model);
      savedUntil = now + std::chrono::duration_cast<Clock::duration>(
                             std::chrono::duration<double>(kMessageSeconds));
    }
    const bool showSaved = !saved.empty() && now < savedUntil;
    DrawViewerFrame(*model, window.camera, window.display, window.width, window.height,
                    {ViewerStatusText(*model, fps), showSaved ? saved : ViewerKeysText()},
                    fontReady);
    PlatformSwapBuffers(dc);
    ++frames;
    ++rateFrames;
  }
  const double seconds = Seconds(start, Clock::now());
  std::printf("lumivex-view: %ld frames in %.1f s, %.1f frames per second\n", frames, seconds,
              seconds > 0 ? frames / seconds : 0.0);
  ReleaseViewerModel(model);
  DeleteFontLists();
  PlatformMakeCurrent(nullptr, nullptr);
  PlatformDeleteContext(context);
  PlatformReleaseDC(handle, dc);
  PlatformDestroyWindow(handle);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("lumivex-view %s\n", LUMIVEX_VERSION);
    return 0;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  ViewerOptions options;
  std::string error;
  if (!ParseViewerOptions(args, &options, &error)) {
    std::fprintf(stderr, "lumivex-view: %s\n%s", error.c_str(), ViewerUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(ViewerUsage(), stdout);
    return 0;
  }
#ifndef LUMIVEX_VIEWER_SHOT
  if (!options.shot.empty()) {
    std::fprintf(stderr, "lumivex-view: this build has no headless GL for --shot\n");
    return 2;
  }
#endif
  ViewerModel model;
  std::vector<std::string> notes;
  if (!LoadViewerModel(options.file, options.toolkitDraw, &model, &error, &notes)) {
    std::fprintf(stderr, "lumivex-view: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& note : notes) {
    std::fprintf(stderr, "lumivex-view: %s: note: %s\n", options.file.c_str(), note.c_str());
  }
  const std::string fontFile = FontFile(argv[0]);
#ifdef LUMIVEX_VIEWER_SHOT
  if (!options.shot.empty()) return Shot(&model, options, fontFile);
#endif
  return Window(&model, options, fontFile);
}
