// The group's logo, the two title panels and the credits.
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/make-pictures/pictures.h"
#include "tools/make-pictures/text.h"

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Paints `mask` centred on (cx, cy): colour from `fill` (0 at the mask's top, 1 at its
// bottom), mixed over the canvas (`add` false) or added onto it.
void Place(Canvas& c, const TextMask& m, double cx, double cy,
           const std::function<Rgb(double)>& fill, bool add, double strength = 1.0) {
  const int x0 = int(std::lround(cx - m.width / 2.0)), y0 = int(std::lround(cy - m.height / 2.0));
  for (int j = 0; j < m.height; ++j) {
    const Rgb colour = fill(m.height > 1 ? double(j) / (m.height - 1) : 0.0);
    for (int i = 0; i < m.width; ++i) {
      const int x = x0 + i, y = y0 + j;
      if (x < 0 || y < 0 || x >= c.width() || y >= c.height()) continue;
      const double a = m.coverage[size_t(j) * m.width + i] * strength;
      c.at(x, y) = add ? c.at(x, y) + colour * a : Mix(c.at(x, y), colour, a);
    }
  }
}

// The largest pixel height at which `text` stays within `maxWidth` (and `maxHeight`).
TextMask Fit(const std::string& font, const std::string& text, int maxWidth, int maxHeight,
             int pad) {
  int lo = 8, hi = 400;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    const TextMask m = RenderText(font, text, mid);
    if (m.width <= maxWidth && m.height <= maxHeight)
      lo = mid;
    else
      hi = mid - 1;
  }
  return RenderText(font, text, lo, pad);
}

Rgb Solid(Rgb c, double) {
  return c;
}

// The logo's sky: violet rays from the middle, darkening outwards, and a band of light
// behind the word.
Rgb LogoSky(double u, double v) {
  const double dx = u - 0.5, dy = v - 0.52;
  const double r = std::sqrt(dx * dx + dy * dy);
  const double angle = std::atan2(dy, dx);
  const double rays = 0.5 + 0.5 * std::cos(angle * 18.0);
  Rgb base = Mix(Rgb{0.16, 0.06, 0.30}, Rgb{0.01, 0.01, 0.04}, std::min(1.0, r * 1.6));
  base = base + Rgb{0.10, 0.05, 0.18} * (rays * std::exp(-r * 3.0));
  base = base + Rgb{0.9, 0.4, 0.15} * (0.25 * std::exp(-std::pow((v - 0.52) / 0.05, 2.0)));
  return base;
}

// The logo's lettering centred on (cx, cy): an orange glow, a drop shadow, then the
// glyphs shaded from pale yellow to orange. Blur radii and the shadow's offset in pixels.
void PlaceLogoLettering(Canvas& c, const TextMask& word, double cx, double cy, int glow,
                        int shadowBlur, double shadowX, double shadowY) {
  Place(
      c, Blurred(word, glow), cx, cy,
      [](double) {
        return Rgb{1.0, 0.45, 0.1};
      },
      true, 0.9);
  Place(
      c, Blurred(word, shadowBlur), cx + shadowX, cy + shadowY,
      [](double) {
        return Rgb{0.0, 0.0, 0.0};
      },
      false, 1.0);
  Place(
      c, word, cx, cy,
      [](double t) {
        return Mix(Rgb{1.0, 0.97, 0.75}, Rgb{1.0, 0.42, 0.08}, t);
      },
      false);
}

}  // namespace

Canvas PaintLogo(int size) {
  Canvas c(size, size);
  c.Fill(LogoSky);
  const std::string bold = FontPath("DejaVuSans-Bold.ttf");
  const TextMask word = Fit(bold, "Tarnel", int(size * 0.84), size, 24);
  const double cx = size * 0.5, cy = size * 0.50;
  PlaceLogoLettering(c, word, cx, cy, 10, 3, size * 0.008, size * 0.012);
  // A thin rule under the word and the group's line of work above it.
  const TextMask tag =
      RenderText(FontPath("DejaVuSans.ttf"), "light  \xb7  code  \xb7  sound", size / 26);
  Place(c, tag, cx, size * 0.77, std::bind(Solid, Rgb{0.85, 0.75, 1.0}, std::placeholders::_1),
        false);
  for (int x = int(size * 0.2); x < int(size * 0.8); ++x) {
    const double fade = std::sin(kPi * (x - size * 0.2) / (size * 0.6));
    c.at(x, int(size * 0.72)) = c.at(x, int(size * 0.72)) + Rgb{1.0, 0.6, 0.3} * (0.8 * fade);
  }
  return c;
}

Canvas PaintPresents(int size) {
  Canvas c(size, size);
  const TextMask word =
      Fit(FontPath("DejaVuSerif-Italic.ttf"), "presents", int(size * 0.62), size, 20);
  const double cx = size * 0.5, cy = size * 0.5;
  Place(
      c, Blurred(word, 9), cx, cy,
      [](double) {
        return Rgb{0.2, 0.55, 1.0};
      },
      true, 1.2);
  Place(
      c, word, cx, cy,
      [](double t) {
        return Mix(Rgb{1, 1, 1}, Rgb{0.6, 0.85, 1.0}, t);
      },
      true);
  return c;
}

Canvas PaintTitle(int size) {
  Canvas c(size, size);
  const TextMask word = Fit(FontPath("DejaVuSans-Bold.ttf"), "Lumivex", int(size * 0.62), size, 24);
  const double cx = size * 0.5, cy = size * 0.47;
  Place(
      c, Blurred(word, 14), cx, cy,
      [](double) {
        return Rgb{0.8, 0.2, 1.0};
      },
      true, 1.1);
  Place(
      c, Blurred(word, 4), cx, cy,
      [](double) {
        return Rgb{0.4, 0.6, 1.0};
      },
      true, 0.8);
  Place(
      c, word, cx, cy,
      [](double t) {
        return Mix(Rgb{0.85, 1.0, 1.0}, Rgb{1.0, 0.55, 0.95}, t);
      },
      false);
  // A line of light under the title, brightest in the middle.
  const int y = int(cy + word.height / 2.0 + size * 0.01);
  for (int x = 0; x < size; ++x) {
    // Gone well inside the visible middle, so nothing shows at the panel's cut edges.
    const double d = (x - size * 0.5) / (size * 0.2);
    const double k = std::abs(d) < 1.8 ? std::exp(-d * d) * (1 - std::abs(d) / 1.8) : 0.0;
    for (int dy = -4; dy <= 4; ++dy)
      c.at(x, y + dy) = c.at(x, y + dy) + Rgb{0.6, 0.8, 1.0} * (k * std::exp(-dy * dy / 2.0));
  }
  return c;
}

Canvas PaintCredits(int size) {
  Canvas c(size, size);
  c.Fill([](double u, double v) {
    Rgb base = Mix(Rgb{0.05, 0.06, 0.16}, Rgb{0.02, 0.02, 0.05}, v);
    const double edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    if (edge > 0.035 && edge < 0.042) base = Rgb{0.85, 0.7, 0.35};  // frame
    return base;
  });
  const double cx = size * 0.5;
  const TextMask title = Fit(FontPath("DejaVuSans-Bold.ttf"), "Lumivex", int(size * 0.6), size, 12);
  Place(
      c, Blurred(title, 6), cx, size * 0.2,
      [](double) {
        return Rgb{0.8, 0.3, 1.0};
      },
      true);
  Place(
      c, title, cx, size * 0.2,
      [](double t) {
        return Mix(Rgb{0.9, 1.0, 1.0}, Rgb{1.0, 0.6, 0.95}, t);
      },
      false);
  const TextMask by = RenderText(FontPath("DejaVuSans.ttf"), "a picture show by Tarnel", size / 22);
  Place(
      c, by, cx, size * 0.33,
      [](double) {
        return Rgb{0.75, 0.75, 0.85};
      },
      false);

  const char* roles[] = {"code", "graphics", "music"};
  for (int i = 0; i < 3; ++i) {
    const double y = size * (0.49 + i * 0.13);
    const TextMask role = RenderText(FontPath("DejaVuSans.ttf"), roles[i], size / 16);
    const TextMask name = RenderText(FontPath("DejaVuSans-Bold.ttf"), "Tarnel", size / 14);
    // Roles end, names start, at the middle: a neat two-column list.
    Place(
        c, role, cx - size * 0.04 - role.width / 2.0, y,
        [](double) {
          return Rgb{0.6, 0.7, 0.9};
        },
        false);
    Place(
        c, name, cx + size * 0.04 + name.width / 2.0, y,
        [](double t) {
          return Mix(Rgb{1.0, 0.92, 0.6}, Rgb{1.0, 0.6, 0.2}, t);
        },
        false);
  }
  return c;
}

Canvas PaintIcon(int size) {
  // The logo cut down to its initial, painted at the icon's own size so that the small
  // sizes stay sharp: the glow and the shadow scale with the letter.
  Canvas c(size, size);
  c.Fill(LogoSky);
  const int pad = std::max(2, size / 12);
  const TextMask letter =
      Fit(FontPath("DejaVuSans-Bold.ttf"), "T", int(size * 0.72), int(size * 0.72), pad);
  PlaceLogoLettering(c, letter, size * 0.5, size * 0.52, std::max(1, size / 24),
                     std::max(1, size / 80), size * 0.02, size * 0.03);
  return c;
}

}  // namespace pictures
