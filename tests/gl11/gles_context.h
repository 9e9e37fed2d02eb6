// A headless OpenGL ES 2 context for the GL layer's tests: Mesa's surfaceless EGL platform
// with a framebuffer object of the show's size (RGBA colour, 16-bit depth), as
// platform/headless makes for desktop GL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class GlesContext {
 public:
  GlesContext(int width = 800, int height = 600);
  ~GlesContext();
  GlesContext(const GlesContext&) = delete;
  GlesContext& operator=(const GlesContext&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  void MakeCurrent();
  // The whole frame as RGB rows, top row first.
  std::vector<uint8_t> ReadFrameTopDown() const;
  // RGBA of one pixel; (0, 0) is the lower left corner.
  void ReadPixel(int x, int y, uint8_t rgba[4]) const;

 private:
  bool ok_ = false;
  std::string error_;
  int width_, height_;
  void* display_ = nullptr;
  void* context_ = nullptr;
  unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
};
