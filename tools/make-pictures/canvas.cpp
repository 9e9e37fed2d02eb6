// Sampling, splatting and JPEG output for the content pictures.
#include "tools/make-pictures/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace pictures {

void Canvas::Fill(const std::function<Rgb(double, double)>& shade, int n) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      Rgb sum;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          sum = sum + shade((x + (i + 0.5) / n) / width_, (y + (j + 0.5) / n) / height_);
      at(x, y) = sum * (1.0 / (n * n));
    }
}

void Canvas::Splat(double x, double y, Rgb c) {
  const double fx = x - 0.5, fy = y - 0.5;
  const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
  const double ax = fx - x0, ay = fy - y0;
  const double w[4] = {(1 - ax) * (1 - ay), ax * (1 - ay), (1 - ax) * ay, ax * ay};
  const int dx[4] = {0, 1, 0, 1}, dy[4] = {0, 0, 1, 1};
  for (int k = 0; k < 4; ++k) {
    const int px = x0 + dx[k], py = y0 + dy[k];
    if (px >= 0 && py >= 0 && px < width_ && py < height_) at(px, py) = at(px, py) + c * w[k];
  }
}

void Canvas::Blend(const std::vector<float>& mask, int maskW, int maskH, int x, int y, Rgb c) {
  for (int j = 0; j < maskH; ++j)
    for (int i = 0; i < maskW; ++i) {
      const int px = x + i, py = y + j;
      if (px < 0 || py < 0 || px >= width_ || py >= height_) continue;
      const double a = mask[size_t(j) * maskW + i];
      at(px, py) = Mix(at(px, py), c, a);
    }
}

void Canvas::FlipVertical() {
  for (int y = 0; y < height_ / 2; ++y)
    for (int x = 0; x < width_; ++x) std::swap(at(x, y), at(x, height_ - 1 - y));
}

std::vector<uint8_t> Canvas::ToRgb8() const {
  std::vector<uint8_t> out(px_.size() * 3);
  auto q = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
  for (size_t i = 0; i < px_.size(); ++i) {
    out[i * 3] = q(px_[i].r);
    out[i * 3 + 1] = q(px_[i].g);
    out[i * 3 + 2] = q(px_[i].b);
  }
  return out;
}

bool Canvas::SaveJpeg(const std::string& path, int quality) const {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::vector<uint8_t> rgb = ToRgb8();
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = JDIMENSION(width_);
  cinfo.image_height = JDIMENSION(height_);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  // Full-resolution chroma keeps thin coloured text edges clean.
  for (int c = 0; c < 3; ++c) {
    cinfo.comp_info[c].h_samp_factor = 1;
    cinfo.comp_info[c].v_samp_factor = 1;
  }
  cinfo.optimize_coding = TRUE;  // still baseline (SOF0), just smaller Huffman tables
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[size_t(cinfo.next_scanline) * width_ * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  const bool ok = !std::ferror(f);
  return std::fclose(f) == 0 && ok;
}

double Hash01(uint32_t a, uint32_t b, uint32_t seed) {
  uint32_t h = a * 374761393u + b * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return double(h) / 4294967296.0;
}

double TileNoise(double x, double y, int period, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const double tx = x - fx, ty = y - fy;
  auto wrap = [period](double v) { return uint32_t(((long(v) % period) + period) % period); };
  const uint32_t x0 = wrap(fx), x1 = wrap(fx + 1), y0 = wrap(fy), y1 = wrap(fy + 1);
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double top = Hash01(x0, y0, seed) * (1 - sx) + Hash01(x1, y0, seed) * sx;
  const double bottom = Hash01(x0, y1, seed) * (1 - sx) + Hash01(x1, y1, seed) * sx;
  return top * (1 - sy) + bottom * sy;
}

}  // namespace pictures
