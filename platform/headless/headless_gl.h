// A headless OpenGL context for tests and offline rendering: Mesa's surfaceless EGL
// platform with a framebuffer object (RGBA8 colour, 16-bit depth), so drawing code runs
// against a real GL implementation without a display or a GPU. Desktop GL (a
// compatibility profile) for the show; OpenGL ES 2 for the GL layer's tests
// (platform/gl11), which is what the layer draws on in a browser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HeadlessGL {
 public:
  enum class Api { kDesktop, kGles2 };
  HeadlessGL(int width = 800, int height = 600, Api api = Api::kDesktop);
  ~HeadlessGL();
  HeadlessGL(const HeadlessGL&) = delete;
  HeadlessGL& operator=(const HeadlessGL&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void MakeCurrent();
  // A GL function of the current context by name (eglGetProcAddress); null if none.
  static void* ProcAddress(const char* name);

  // RGBA of one pixel; (0, 0) is the lower left corner, as glReadPixels counts.
  struct Pixel {
    uint8_t r, g, b, a;
  };
  Pixel ReadPixel(int x, int y) const;
  // The whole frame as RGB rows, top row first (ready for PNG or Y4M).
  std::vector<uint8_t> ReadFrameTopDown() const;

 private:
  bool ok_ = false;
  std::string error_;
  int width_, height_;
  Api api_;
  void* display_ = nullptr;
  void* context_ = nullptr;
  unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
  unsigned colourTexture_ = 0;  // ES 2's colour buffer
};
