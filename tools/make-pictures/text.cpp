// FreeType rendering: glyphs laid out on a baseline with kerning, into one grey mask.
#include "tools/make-pictures/text.h"

#include <algorithm>
#include <climits>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace pictures {

TextMask RenderText(const std::string& fontPath, const std::string& text, int pixelHeight,
                    int pad) {
  TextMask out;
  FT_Library lib;
  if (FT_Init_FreeType(&lib)) return out;
  FT_Face face;
  if (FT_New_Face(lib, fontPath.c_str(), 0, &face)) {
    FT_Done_FreeType(lib);
    return out;
  }
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));

  struct Glyph {
    int x, y, w, h;
    std::vector<float> a;
  };
  std::vector<Glyph> glyphs;
  long penX = 0;  // 26.6 fixed point
  FT_UInt previous = 0;
  int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
  for (unsigned char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector k;
      FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &k);
      penX += k.x;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
      continue;
    const FT_GlyphSlot g = face->glyph;
    Glyph gl{int(penX >> 6) + g->bitmap_left,
             -g->bitmap_top,
             int(g->bitmap.width),
             int(g->bitmap.rows),
             {}};
    for (int r = 0; r < gl.h; ++r)
      for (int c = 0; c < gl.w; ++c)
        gl.a.push_back(g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f);
    if (gl.w > 0 && gl.h > 0) {
      minX = std::min(minX, gl.x);
      minY = std::min(minY, gl.y);
      maxX = std::max(maxX, gl.x + gl.w);
      maxY = std::max(maxY, gl.y + gl.h);
      glyphs.push_back(std::move(gl));
    }
    penX += g->advance.x;
    previous = index;
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  if (glyphs.empty()) return out;

  out.width = maxX - minX + 2 * pad;
  out.height = maxY - minY + 2 * pad;
  out.coverage.assign(size_t(out.width) * out.height, 0.0f);
  for (const Glyph& gl : glyphs)
    for (int r = 0; r < gl.h; ++r)
      for (int c = 0; c < gl.w; ++c) {
        float& dst =
            out.coverage[size_t(gl.y - minY + pad + r) * out.width + gl.x - minX + pad + c];
        dst = std::min(1.0f, dst + gl.a[size_t(r) * gl.w + c]);
      }
  return out;
}

TextMask Blurred(const TextMask& m, int radius) {
  TextMask out = m;
  std::vector<float> tmp(out.coverage.size());
  const float norm = 1.0f / float(2 * radius + 1);
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x) {
        float s = 0;
        for (int k = -radius; k <= radius; ++k) {
          const int xx = std::clamp(x + k, 0, m.width - 1);
          s += out.coverage[size_t(y) * m.width + xx];
        }
        tmp[size_t(y) * m.width + x] = s * norm;
      }
    for (int y = 0; y < m.height; ++y)
      for (int x = 0; x < m.width; ++x) {
        float s = 0;
        for (int k = -radius; k <= radius; ++k) {
          const int yy = std::clamp(y + k, 0, m.height - 1);
          s += tmp[size_t(yy) * m.width + x];
        }
        out.coverage[size_t(y) * m.width + x] = s * norm;
      }
  }
  return out;
}

}  // namespace pictures
