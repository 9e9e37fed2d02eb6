// The dolmane pictures: hard-edged geometry that plays with the eye.
#include <algorithm>
#include <cmath>

#include "tools/make-pictures/pictures.h"

namespace pictures {
namespace {
constexpr double kPi = 3.14159265358979323846;

// A square wave with soft edges a fraction `soft` of a period wide: 1 on even bands.
double Bands(double x, double soft) {
  const double f = x - std::floor(x);
  const double d = std::min(std::fabs(f - 0.25), std::fabs(f - 1.25));  // distance to centre
  return std::clamp((0.25 - std::min(d, std::fabs(f + 0.75))) / soft + 0.5, 0.0, 1.0);
}

// Concentric rings pushed outward by two bulges: the surface seems to swell.
Rgb Rings(double u, double v) {
  const double x = u - 0.5, y = v - 0.5;
  double r = std::hypot(x, y);
  const double b1 = std::exp(-(std::pow(x - 0.12, 2) + std::pow(y + 0.1, 2)) / 0.02);
  const double b2 = std::exp(-(std::pow(x + 0.18, 2) + std::pow(y - 0.16, 2)) / 0.012);
  r = r - 0.05 * b1 + 0.04 * b2;
  const double band = Bands(r * 22.0, 0.02);
  const Rgb ink{0.04, 0.04, 0.05}, paper{0.95, 0.93, 0.88}, accent{0.85, 0.12, 0.1};
  const int ring = int(std::floor(r * 22.0));
  const Rgb light = (ring % 7 == 3) ? accent : paper;
  return Mix(ink, light, band);
}

// A chequerboard seen through a lens: squares grow toward the middle and shade from blue to
// yellow, swapping colours across the diagonal.
Rgb Lens(double u, double v) {
  double x = (u - 0.5) * 2, y = (v - 0.5) * 2;
  const double r = std::hypot(x, y);
  const double k = r < 0.75 ? std::sqrt(1 - std::pow(r / 0.75, 2)) : 0.0;  // sphere height
  const double scale = 1.0 / (1.0 + 0.9 * k);
  x *= scale, y *= scale;
  const double cells = 9;
  const int cx = int(std::floor((x + 1) * cells)), cy = int(std::floor((y + 1) * cells));
  const bool even = ((cx + cy) & 1) == 0;
  const double t = std::clamp((u + v) * 0.5, 0.0, 1.0);
  const Rgb a = Mix(Rgb{0.05, 0.08, 0.35}, Rgb{0.35, 0.05, 0.4}, t);
  const Rgb b = Mix(Rgb{1.0, 0.88, 0.25}, Rgb{1.0, 0.45, 0.35}, t);
  const Rgb cell = even ? a : b;
  return cell * (0.55 + 0.45 * k);
}

// Truchet tiles: quarter circles joining edge midpoints, two colours filling the regions.
Rgb Truchet(double u, double v) {
  const double n = 10;
  const double gx = u * n, gy = v * n;
  const int ix = int(std::floor(gx)), iy = int(std::floor(gy));
  double fx = gx - ix, fy = gy - iy;
  const bool flip = Hash01(uint32_t(ix), uint32_t(iy), 31u) < 0.5;
  if (flip) fx = 1 - fx;
  // Distances to the two arcs around opposite corners.
  const double d1 = std::fabs(std::hypot(fx, fy) - 0.5);
  const double d2 = std::fabs(std::hypot(1 - fx, 1 - fy) - 0.5);
  const double d = std::min(d1, d2);
  // Colour the regions so neighbours always differ: parity of the cell, flip and side.
  const bool corner = std::hypot(fx, fy) < 0.5 || std::hypot(1 - fx, 1 - fy) < 0.5;
  const bool side = (((ix + iy) & 1) != 0) ^ flip ^ corner;
  const Rgb teal{0.05, 0.45, 0.5}, orange{0.98, 0.55, 0.15}, line{0.98, 0.96, 0.9};
  const Rgb fill = side ? teal : orange;
  const double edge = std::clamp((d - 0.055) / 0.01, 0.0, 1.0);
  const Rgb shade = fill * (0.75 + 0.25 * std::cos(d * kPi * 2));
  return Mix(line, shade, edge);
}

// Tumbling blocks: rhombi in three shades make cubes, hues sweeping across the picture.
Rgb Blocks(double u, double v) {
  const double size = 1.0 / 7.0;
  // Hexagonal lattice of cube centres; find the nearest.
  const double h = size * std::sqrt(3.0);
  double best = 1e9, bx = 0, by = 0;
  const double rowf = v / (size * 1.5);
  for (int dr = -1; dr <= 1; ++dr) {
    const int row = int(std::floor(rowf)) + dr;
    const double off = (row & 1) ? h / 2 : 0;
    for (int dc = -1; dc <= 1; ++dc) {
      const int col = int(std::floor((u - off) / h)) + dc;
      const double cx = col * h + off, cy = row * size * 1.5;
      const double d = std::hypot(u - cx, v - cy);
      if (d < best) best = d, bx = cx, by = cy;
    }
  }
  const double dx = u - bx, dy = v - by;
  const double angle = std::atan2(dy, dx);
  // The top face is the upper third of the hexagon, the others left and right below.
  int face;
  if (angle < -kPi / 6 && angle > -5 * kPi / 6)
    face = 0;
  else if (dx < 0)
    face = 1;
  else
    face = 2;
  const double hue = u * 0.6 + v * 0.4;
  const Rgb base = Mix(Rgb{0.9, 0.25, 0.3}, Rgb{0.2, 0.45, 0.95}, hue);
  const double light[3] = {1.0, 0.62, 0.32};
  Rgb col = base * light[face];
  // Dark seams: the three inner edges run from the middle to alternate corners (rays, not
  // lines), and the outline follows the hexagon.
  double inner = 1e9;
  for (double ray : {kPi / 2, -kPi / 6, -5 * kPi / 6}) {
    const double along = dx * std::cos(ray) + dy * std::sin(ray);
    if (along > 0) inner = std::min(inner, std::fabs(dx * std::sin(ray) - dy * std::cos(ray)));
  }
  double hexDist = 0;  // distance to the centre measured across the flat sides
  for (int k = 0; k < 6; ++k) {
    const double a = kPi / 3 * k;
    hexDist = std::max(hexDist, dx * std::cos(a) + dy * std::sin(a));
  }
  const double seam = std::clamp((inner - 0.0015) / 0.0015, 0.0, 1.0);
  const double rim = std::clamp((h / 2 - 0.0015 - hexDist) / 0.0015, 0.0, 1.0);
  return Mix(Rgb{0.05, 0.05, 0.08}, col, std::min(seam, rim));
}

}  // namespace

Canvas PaintDolmane(int index, int size) {
  Canvas c(size, size);
  switch (index) {
    case 0:
      c.Fill(Rings);
      break;
    case 1:
      c.Fill(Lens);
      break;
    case 2:
      c.Fill(Truchet);
      break;
    default:
      c.Fill(Blocks);
      break;
  }
  return c;
}

}  // namespace pictures
