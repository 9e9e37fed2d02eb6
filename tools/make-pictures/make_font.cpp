// make-font OUT.bmp: the texture font's glyph picture, 256 x 256 pixels of 16 x 16 cells,
// white on black, from DejaVu Sans Mono: character set 0 (cells 0..95, characters 32..127)
// in the regular face, set 1 (cells 128..223) in the bold one; the other cells are empty.
// Glyph g is in column g mod 16 and row g / 16 counted from the top of the picture.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "tools/make-pictures/text.h"

namespace {

constexpr int kCell = 16;
constexpr int kSide = 16 * kCell;
// The font prints glyphs 10 units apart on 16-unit cells: each glyph is drawn into the
// left 10 pixels of its cell, on a baseline that leaves room for descenders.
constexpr int kAdvance = 10;
constexpr int kBaseline = 12;
constexpr int kPixelSize = 13;

// Paints characters 32..127 of `fontFile` into the cells from `firstCell` on.
bool PaintSet(FT_Library lib, const std::string& fontFile, int firstCell,
              std::vector<uint8_t>* grey) {
  FT_Face face;
  if (FT_New_Face(lib, pictures::FontPath(fontFile).c_str(), 0, &face)) return false;
  FT_Set_Pixel_Sizes(face, 0, kPixelSize);
  for (int ch = 32; ch < 127; ++ch) {
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
    const FT_GlyphSlot g = face->glyph;
    const int cell = firstCell + ch - 32;
    const int cellX = (cell % 16) * kCell, cellY = (cell / 16) * kCell;
    const int left = (kAdvance - static_cast<int>(g->advance.x >> 6)) / 2 + g->bitmap_left;
    for (int r = 0; r < static_cast<int>(g->bitmap.rows); ++r) {
      const int y = kBaseline - g->bitmap_top + r;
      if (y < 0 || y >= kCell) continue;
      for (int c = 0; c < static_cast<int>(g->bitmap.width); ++c) {
        const int x = left + c;
        if (x < 0 || x >= kCell) continue;
        uint8_t& dst = (*grey)[size_t(cellY + y) * kSide + cellX + x];
        dst = std::max(dst, g->bitmap.buffer[r * g->bitmap.pitch + c]);
      }
    }
  }
  FT_Done_Face(face);
  return true;
}

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(v & 0xFF);
  out->push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-font OUT.bmp\n");
    return 2;
  }
  std::vector<uint8_t> grey(size_t(kSide) * kSide, 0);
  FT_Library lib;
  if (FT_Init_FreeType(&lib) || !PaintSet(lib, "DejaVuSansMono.ttf", 0, &grey) ||
      !PaintSet(lib, "DejaVuSansMono-Bold.ttf", 128, &grey)) {
    std::fprintf(stderr, "make-font: cannot read the DejaVu Sans Mono fonts\n");
    return 1;
  }
  FT_Done_FreeType(lib);

  // A 24-bit BMP with the 40-byte header, rows stored bottom first.
  const uint32_t offset = 14 + 40, pixels = kSide * kSide * 3;
  std::vector<uint8_t> bmp = {'B', 'M'};
  Put32(&bmp, offset + pixels);
  Put32(&bmp, 0);
  Put32(&bmp, offset);
  Put32(&bmp, 40);
  Put32(&bmp, kSide);
  Put32(&bmp, kSide);
  Put16(&bmp, 1);
  Put16(&bmp, 24);
  for (uint32_t v : {0u, pixels, 2835u, 2835u, 0u, 0u}) Put32(&bmp, v);
  for (int y = kSide - 1; y >= 0; --y) {
    for (int x = 0; x < kSide; ++x) bmp.insert(bmp.end(), 3, grey[size_t(y) * kSide + x]);
  }
  FILE* file = std::fopen(argv[1], "wb");
  const bool ok = file && std::fwrite(bmp.data(), 1, bmp.size(), file) == bmp.size();
  if (file && std::fclose(file) != 0) return 1;
  if (!ok) {
    std::fprintf(stderr, "make-font: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
