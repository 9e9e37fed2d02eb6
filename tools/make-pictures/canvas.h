// A floating-point RGB picture under construction, and the JPEG file it becomes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pictures {

struct Rgb {
  double r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, double k) {
  return {a.r * k, a.g * k, a.b * k};
}
inline Rgb Mix(Rgb a, Rgb b, double t) {
  return a * (1.0 - t) + b * t;
}

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), px_(size_t(width) * height) {}
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb& at(int x, int y) { return px_[size_t(y) * width_ + x]; }
  const Rgb& at(int x, int y) const { return px_[size_t(y) * width_ + x]; }

  // Every pixel from `shade` (u, v in 0..1 from the top-left corner, y down), averaged over
  // an n x n grid of points inside the pixel so edges are smooth.
  void Fill(const std::function<Rgb(double u, double v)>& shade, int n = 3);
  // Adds `c` spread bilinearly over the four pixels around (x, y), in pixels.
  void Splat(double x, double y, Rgb c);
  // Adds `c` weighted by a coverage mask placed with its top-left corner at (x, y).
  void Blend(const std::vector<float>& mask, int maskW, int maskH, int x, int y, Rgb c);
  // Top row to bottom: the show draws some pictures with the file's first row at the bottom.
  void FlipVertical();
  // Baseline JPEG, no chroma subsampling; values are clamped to 0..1.
  bool SaveJpeg(const std::string& path, int quality = 94) const;
  std::vector<uint8_t> ToRgb8() const;

 private:
  int width_, height_;
  std::vector<Rgb> px_;
};

// Smooth, deterministic 2D value noise with period `period` cells in both directions.
double TileNoise(double x, double y, int period, uint32_t seed);
// Integer hash to 0..1.
double Hash01(uint32_t a, uint32_t b, uint32_t seed);

// A deterministic stream of random numbers in 0..1.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return double(state_) / 4294967296.0;
  }

 private:
  uint32_t state_;
};

}  // namespace pictures
