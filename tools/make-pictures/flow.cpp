// The pertaxa pictures: light traced along flow fields and through strange attractors,
// gathered in a float buffer and developed like a long exposure.
#include <cmath>

#include "tools/make-pictures/pictures.h"

namespace pictures {
namespace {
constexpr double kPi = 3.14159265358979323846;

// Long exposure: accumulated light mapped through 1 - exp(-gain x), over a dark ground.
void Develop(Canvas& c, double gain, Rgb ground) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      Rgb& p = c.at(x, y);
      p = Rgb{1 - std::exp(-gain * p.r), 1 - std::exp(-gain * p.g), 1 - std::exp(-gain * p.b)} +
          ground * (1.0 - std::min(1.0, (p.r + p.g + p.b) * gain));
    }
}

Rgb Hue(double t, Rgb from, Rgb to) {
  return Mix(from, to, 0.5 - 0.5 * std::cos(2 * kPi * t));
}

// Particles seeded at random follow `field` (a direction in radians at x, y in 0..1).
template <typename Field>
void Trace(Canvas& c, int particles, int steps, double stepLen, Field field, Rgb from, Rgb to,
           uint32_t seed, double weight) {
  Random rnd(seed);
  const double s = c.width();
  for (int i = 0; i < particles; ++i) {
    double x = rnd.Next(), y = rnd.Next();
    const Rgb colour = Hue(rnd.Next() * 0.5 + x * 0.5, from, to) * weight;
    for (int k = 0; k < steps; ++k) {
      const double a = field(x, y);
      x += std::cos(a) * stepLen;
      y += std::sin(a) * stepLen;
      if (x < 0 || y < 0 || x > 1 || y > 1) break;
      const double fade = std::sin(kPi * (k + 0.5) / steps);  // soft ends
      c.Splat(x * s, y * s, colour * fade);
    }
  }
}

double Fbm(double x, double y, uint32_t seed) {
  double n = 0, amp = 0.5;
  for (int o = 0; o < 4; ++o) {
    const int period = 3 << o;
    n += amp * TileNoise(x * period, y * period, period, seed + o);
    amp *= 0.5;
  }
  return n;
}

template <typename Map>
void Attractor(Canvas& c, long iterations, Map map, double scale, Rgb slow, Rgb fast,
               double weight) {
  double x = 0.1, y = 0.1;
  const double s = c.width();
  for (long i = 0; i < iterations; ++i) {
    double nx, ny;
    map(x, y, nx, ny);
    const double speed = std::min(1.0, std::hypot(nx - x, ny - y) / 3.0);
    x = nx, y = ny;
    if (i < 100) continue;
    c.Splat((0.5 + x * scale) * s, (0.5 + y * scale) * s, Mix(slow, fast, speed) * weight);
  }
}

}  // namespace

Canvas PaintPertaxa(int index, int size) {
  Canvas c(size, size);
  switch (index) {
    case 0:  // Curl noise: ember threads on dark umber.
      Trace(
          c, 5000, 220, 0.0015,
          [](double x, double y) {
            const double e = 0.002;
            const double dx = Fbm(x + e, y, 7) - Fbm(x - e, y, 7);
            const double dy = Fbm(x, y + e, 7) - Fbm(x, y - e, 7);
            return std::atan2(-dx, dy);
          },
          Rgb{1.0, 0.35, 0.05}, Rgb{1.0, 0.85, 0.35}, 1u, 0.05);
      Develop(c, 2.2, Rgb{0.06, 0.025, 0.015});
      break;
    case 1: {  // Point vortices: cold currents circling five eyes.
      const double vx[5] = {0.3, 0.7, 0.5, 0.2, 0.8}, vy[5] = {0.3, 0.35, 0.6, 0.8, 0.78};
      const double vs[5] = {1.0, -0.8, 1.2, -1.1, 0.7};
      Trace(
          c, 6000, 260, 0.0012,
          [&](double x, double y) {
            double fx = 0.15, fy = 0.05;  // a slow drift so the streams travel
            for (int k = 0; k < 5; ++k) {
              const double dx = x - vx[k], dy = y - vy[k];
              const double r2 = dx * dx + dy * dy + 0.002;
              fx += -vs[k] * dy / r2 * 0.05;
              fy += vs[k] * dx / r2 * 0.05;
            }
            return std::atan2(fy, fx);
          },
          Rgb{0.1, 0.4, 1.0}, Rgb{0.5, 1.0, 0.95}, 2u, 0.045);
      Develop(c, 2.0, Rgb{0.01, 0.02, 0.06});
      break;
    }
    case 2:  // A Clifford attractor: a veil of gold.
      Attractor(
          c, 3000000,
          [](double x, double y, double& nx, double& ny) {
            nx = std::sin(-1.4 * y) + std::cos(-1.4 * x);
            ny = std::sin(1.6 * x) + 0.7 * std::cos(1.6 * y);
          },
          0.19, Rgb{1.0, 0.55, 0.15}, Rgb{1.0, 0.95, 0.7}, 0.012);
      Develop(c, 1.0, Rgb{0.03, 0.015, 0.0});
      break;
    case 3:  // Wave field: long pastel strands over deep teal.
      Trace(
          c, 9000, 260, 0.0012,
          [](double x, double y) {
            // Noise read as a compass bearing: long strands that bend and braid.
            return 4 * kPi * Fbm(x * 0.7, y * 0.7, 21);
          },
          Rgb{0.55, 1.0, 0.7}, Rgb{1.0, 0.55, 0.75}, 4u, 0.035);
      Develop(c, 1.8, Rgb{0.0, 0.07, 0.08});
      break;
    default:  // A de Jong attractor in magenta and cyan.
      Attractor(
          c, 3000000,
          [](double x, double y, double& nx, double& ny) {
            nx = std::sin(1.4 * y) - std::cos(-2.3 * x);
            ny = std::sin(2.4 * x) - std::cos(-2.1 * y);
          },
          0.22, Rgb{1.0, 0.2, 0.8}, Rgb{0.2, 0.9, 1.0}, 0.012);
      Develop(c, 1.0, Rgb{0.02, 0.0, 0.04});
      break;
  }
  return c;
}

}  // namespace pictures
