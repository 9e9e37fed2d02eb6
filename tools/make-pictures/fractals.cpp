// The kavra pictures: escape-time fractals, coloured by smoothed escape count.
#include <cmath>
#include <complex>

#include "tools/make-pictures/pictures.h"

namespace pictures {
namespace {
constexpr double kTau = 6.28318530717958647692;

enum class Kind { kMandelbrot, kJulia, kBurningShip };

struct View {
  Kind kind;
  double cx, cy, width;  // the middle of the picture and its width in the plane
  double jr, ji;         // Julia constant
  int maxIter;
  // Cosine palette a + b cos(tau (c t + d)) per channel, and the colour of the inside.
  Rgb a, b, c, d;
  Rgb inside;
  double cycle;  // palette repeats per unit of log escape count
};

// Smoothed escape count, or -1 for points that stay bounded.
double Escape(const View& v, double x, double y) {
  double zr, zi, cr, ci;
  if (v.kind == Kind::kJulia) {
    zr = x, zi = y, cr = v.jr, ci = v.ji;
  } else {
    zr = 0, zi = 0, cr = x, ci = y;
  }
  for (int n = 0; n < v.maxIter; ++n) {
    if (v.kind == Kind::kBurningShip) zr = std::fabs(zr), zi = std::fabs(zi);
    const double r2 = zr * zr, i2 = zi * zi;
    if (r2 + i2 > 256.0) return n + 1 - std::log2(0.5 * std::log2(r2 + i2));
    zi = 2 * zr * zi + ci;
    zr = r2 - i2 + cr;
  }
  return -1;
}

Rgb Palette(const View& v, double t) {
  return Rgb{v.a.r + v.b.r * std::cos(kTau * (v.c.r * t + v.d.r)),
             v.a.g + v.b.g * std::cos(kTau * (v.c.g * t + v.d.g)),
             v.a.b + v.b.b * std::cos(kTau * (v.c.b * t + v.d.b))};
}

const View kViews[5] = {
    // Spirals of the valley between the main body and the first bulb, deep blue and gold.
    {Kind::kMandelbrot,
     -0.7436,
     0.1318,
     0.006,
     0,
     0,
     500,
     {0.5, 0.45, 0.4},
     {0.5, 0.45, 0.45},
     {1.0, 1.0, 1.0},
     {0.0, 0.1, 0.3},
     {0.02, 0.02, 0.06},
     0.9},
    // A dendrite Julia set in violet and rose.
    {Kind::kJulia,
     0.0,
     0.0,
     3.0,
     -0.7269,
     0.1889,
     400,
     {0.55, 0.35, 0.6},
     {0.45, 0.35, 0.4},
     {1.0, 1.0, 1.0},
     {0.0, 0.15, 0.25},
     {0.08, 0.0, 0.1},
     0.7},
    // The burning ship's mast and sails, in fire colours; the plane's y points down here.
    {Kind::kBurningShip,
     -1.7615,
     -0.028,
     0.09,
     0,
     0,
     300,
     {0.5, 0.3, 0.1},
     {0.5, 0.3, 0.1},
     {1.0, 1.0, 1.0},
     {0.0, 0.05, 0.1},
     {0.0, 0.0, 0.0},
     0.8},
    // A swirl Julia set in teal and sea green.
    {Kind::kJulia,
     0.0,
     0.0,
     2.4,
     0.285,
     0.0105,
     500,
     {0.3, 0.5, 0.5},
     {0.3, 0.45, 0.4},
     {1.0, 1.0, 1.0},
     {0.55, 0.35, 0.25},
     {0.0, 0.05, 0.05},
     0.8},
    // The whole set, its filaments glowing green and gold.
    {Kind::kMandelbrot,
     -0.65,
     0.0,
     2.9,
     0,
     0,
     500,
     {0.5, 0.55, 0.3},
     {0.5, 0.4, 0.3},
     {1.0, 1.0, 0.5},
     {0.25, 0.1, 0.6},
     {0.03, 0.05, 0.01},
     0.9},
};

}  // namespace

Canvas PaintKavra(int index, int size) {
  const View& v = kViews[index];
  Canvas c(size, size);
  c.Fill(
      [&v](double u, double w) {
        const double x = v.cx + (u - 0.5) * v.width;
        const double y = v.cy - (w - 0.5) * v.width;  // picture y runs down, the plane's up
        const double mu = Escape(v, x, y);
        if (mu < 0) return v.inside;
        Rgb col = Palette(v, std::log(mu + 1.0) * v.cycle);
        // Darken the far outside so the structure stands out of a calm background.
        const double depth = std::min(1.0, std::log(mu + 1.0) / 3.0);
        return col * (0.25 + 0.75 * depth);
      },
      2);
  return c;
}

}  // namespace pictures
