// A headless OpenGL context for tests and offline rendering: Mesa's surfaceless EGL
// platform with a framebuffer object of the show's size (RGBA8 colour, 16-bit depth),
// so drawing code runs against a real GL implementation without a display or a GPU.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class HeadlessGL {
 public:
  HeadlessGL(int width = 800, int height = 600);
  ~HeadlessGL();
  HeadlessGL(const HeadlessGL&) = delete;
  HeadlessGL& operator=(const HeadlessGL&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void MakeCurrent();

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
  void* display_ = nullptr;
  void* context_ = nullptr;
  unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
};

// One vertex of GL feedback in GL_3D_COLOR_TEXTURE mode: window coordinates, colour and
// texture coordinate.
struct FeedbackVertex {
  float x, y, z;
  float r, g, b, a;
  float s, t, p, q;
};
// One primitive as GL feedback returns it (after transformation and clipping).
struct FeedbackPrimitive {
  enum Kind { kPoint, kLine, kPolygon, kBitmap, kPixels, kPassThrough } kind;
  std::vector<FeedbackVertex> vertices;
};
// Runs `draw` in feedback mode and returns what it sent, in order.
std::vector<FeedbackPrimitive> CaptureFeedback(const std::function<void()>& draw,
                                               int bufferFloats = 1 << 20);
