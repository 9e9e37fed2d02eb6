// The tunnel's wrap-around pattern, the particle glow, the star sky and the gallery wall.
#include <algorithm>
#include <cmath>

#include "tools/make-pictures/pictures.h"

namespace pictures {
namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kTau = 2 * kPi;

double SmoothStep(double a, double b, double x) {
  const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}
}  // namespace

// Wraps around the tunnel and the spheres: every term has a whole number of periods across
// the picture, so opposite edges meet without a seam.
Canvas PaintTunnel(int size) {
  Canvas c(size, size);
  c.Fill([](double u, double v) {
    const double plasma = std::sin(kTau * (2 * u)) + std::sin(kTau * (3 * v + 0.25)) +
                          std::sin(kTau * (u + 2 * v)) + std::sin(kTau * (3 * u - v) + 1.0);
    const double p = 0.5 + plasma / 8.0;  // 0..1
    Rgb base{0.03 + 0.10 * p * p, 0.02 + 0.05 * p, 0.10 + 0.16 * p};
    // A glowing grid, eight cells each way, thinner lines between the main ones.
    auto line = [](double x, double cells, double width) {
      const double d = std::fabs(x * cells - std::round(x * cells)) / cells;
      return std::exp(-std::pow(d / width, 2.0));
    };
    const double grid = std::max(line(u, 8, 0.004), line(v, 8, 0.004));
    const double fine = std::max(line(u, 32, 0.0015), line(v, 32, 0.0015));
    const double nodes = line(u, 8, 0.012) * line(v, 8, 0.012);
    return base + Rgb{0.15, 0.55, 0.85} * (0.55 * grid) + Rgb{0.3, 0.2, 0.6} * (0.12 * fine) +
           Rgb{0.9, 0.95, 1.0} * (0.6 * nodes);
  });
  return c;
}

// The particle sprite: a small white-hot core in a blue halo, black from 0.65 of the
// radius out. The forty sprites of the stream face the viewer, so the middle of the screen
// always shows each one's glow at the particle's distance from the view axis, however near
// it flies: the stream adds about its density times one sprite's whole light there in every
// frame, under the "presents" panel too. Hence a halo kept small and mostly blue (sums of it
// saturate blue long before they turn white) and a core only a few texels wide, which still
// burns white where a sprite passes.
Canvas PaintGlow(int size) {
  Canvas c(size, size);
  c.Fill([](double u, double v) {
    const double r = std::hypot(u - 0.5, v - 0.5) * 2.0;  // 1 at the middle of each edge
    const double core = std::exp(-std::pow(r / 0.05, 2.0));
    const double halo = 0.6 * std::exp(-std::pow(r / 0.18, 2.0));
    return (Rgb{1, 1, 1} * core + Rgb{0.25, 0.5, 1.0} * halo) * (1.0 - SmoothStep(0.4, 0.65, r));
  });
  return c;
}

// Stars on black for the inside of the turning spheres; wraps left to right.
Canvas PaintStars(int size) {
  Canvas c(size, size);
  // A faint nebula first: noise that repeats across the width.
  c.Fill(
      [](double u, double v) {
        double n = 0, amp = 0.5;
        for (int o = 0; o < 4; ++o) {
          const int period = 4 << o;
          n += amp * TileNoise(u * period, v * period, period, 11u + o);
          amp *= 0.5;
        }
        const double cloud = std::pow(std::max(0.0, n - 0.45) * 2.0, 2.0);
        const double hue = TileNoise(u * 3, v * 3, 3, 99u);
        return Mix(Rgb{0.10, 0.03, 0.18}, Rgb{0.02, 0.08, 0.20}, hue) * cloud;
      },
      1);
  Random rnd(2024);
  const int count = size * size / 180;
  for (int i = 0; i < count; ++i) {
    const double x = rnd.Next() * size, y = rnd.Next() * size;
    const double b = std::pow(rnd.Next(), 6.0) * 2.2 + 0.12;
    const double t = rnd.Next();
    const Rgb tint = t < 0.2 ? Rgb{0.7, 0.8, 1.0} : (t > 0.85 ? Rgb{1.0, 0.85, 0.6} : Rgb{1, 1, 1});
    const double radius = 0.6 + b * 0.8;
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx) {
        const double fx = std::floor(x) + dx + 0.5 - x, fy = std::floor(y) + dy + 0.5 - y;
        const double w = std::exp(-(fx * fx + fy * fy) / (radius * radius)) * b;
        if (w < 0.004) continue;
        const int px = (int(std::floor(x)) + dx + size) % size;  // wraps around the sphere
        const int py = int(std::floor(y)) + dy;
        if (py < 0 || py >= size) continue;
        c.at(px, py) = c.at(px, py) + tint * w;
      }
  }
  return c;
}

// The gallery wall: dark enough that the walls, added over the stars, never wash out; a lit
// frame marks each wall's edge and four recessed panels give it structure.
Canvas PaintWall(int size) {
  Canvas c(size, size);
  c.Fill([](double u, double v) {
    const double grain =
        0.6 * TileNoise(u * 32, v * 32, 32, 5u) + 0.4 * TileNoise(u * 8, v * 8, 8, 6u);
    Rgb base = Rgb{0.05, 0.06, 0.09} + Rgb{0.03, 0.03, 0.05} * grain;
    const double edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    base = base + Rgb{0.10, 0.25, 0.35} * std::exp(-std::pow((edge - 0.02) / 0.008, 2.0));
    // Panels: 2 x 2, each with a bevel lit from above.
    const double pu = std::fmod(u * 2, 1.0), pv = std::fmod(v * 2, 1.0);
    const double inset = std::min(std::min(pu, 1 - pu), std::min(pv, 1 - pv));
    if (inset > 0.1 && inset < 0.13)
      base = base + (pv < 0.5 ? Rgb{0.08, 0.09, 0.12} : Rgb{-0.03, -0.03, -0.03});
    if (inset >= 0.13) base = base + Rgb{0.02, 0.02, 0.035} * (1 - pv);
    return base;
  });
  return c;
}

}  // namespace pictures
