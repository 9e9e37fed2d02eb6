// Text as coverage masks, rendered with FreeType from the DejaVu fonts.
#pragma once

#include <string>
#include <vector>

namespace pictures {

struct TextMask {
  int width = 0, height = 0;
  std::vector<float> coverage;  // 0..1, row-major, top row first
};

// `text` (ASCII) in the font file at `pixelHeight`, tightly cropped, with a margin of
// `pad` empty pixels on every side. Empty mask when the font cannot be read.
TextMask RenderText(const std::string& fontPath, const std::string& text, int pixelHeight,
                    int pad = 0);
// The same mask blurred (box blur, three passes): a glow around the glyphs.
TextMask Blurred(const TextMask& m, int radius);

// The DejaVu fonts: fonts-dejavu-core.
inline std::string FontPath(const std::string& file) {
  return "/usr/share/fonts/truetype/dejavu/" + file;
}

}  // namespace pictures
