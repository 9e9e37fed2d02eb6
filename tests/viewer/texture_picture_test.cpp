// The viewer's texture decoding: every kind of picture models come with, told by its bytes
// alone, each written here byte by byte, coming out as RGBA with the bottom row first.
#include "tools/viewer/texture_picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/resources/test_pictures.h"
#include "tests/toolkit/toolkit_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Rgba {
  uint8_t r, g, b, a;
};
// The 2 x 2 picture of every lossless case: red, green over blue, white.
constexpr Rgba kTop[2] = {{255, 0, 0, 255}, {0, 255, 0, 255}};
constexpr Rgba kBottom[2] = {{0, 0, 255, 255}, {255, 255, 255, 255}};

void Put(Bytes* out, std::initializer_list<uint8_t> bytes) {
  out->insert(out->end(), bytes);
}
void BigEndian(Bytes* out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void LittleEndian(Bytes* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A PNG of one IDAT: `rows` are the filtered rows (a 0 filter byte, then the pixels).
Bytes Png(int type, int depth, const Bytes& rows, const Bytes& palette = {},
          const Bytes& transparency = {}) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto chunk = [&png](const char* name, const Bytes& data) {
    BigEndian(&png, static_cast<uint32_t>(data.size()), 4);
    const size_t start = png.size();
    png.insert(png.end(), name, name + 4);
    png.insert(png.end(), data.begin(), data.end());
    BigEndian(&png, crc32(0, &png[start], static_cast<uInt>(png.size() - start)), 4);
  };
  Bytes header;
  BigEndian(&header, 2, 4);
  BigEndian(&header, 2, 4);
  Put(&header, {static_cast<uint8_t>(depth), static_cast<uint8_t>(type), 0, 0, 0});
  chunk("IHDR", header);
  if (!palette.empty()) chunk("PLTE", palette);
  if (!transparency.empty()) chunk("tRNS", transparency);
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  Bytes packed(size);
  compress(packed.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
  packed.resize(size);
  chunk("IDAT", packed);
  chunk("IEND", {});
  return png;
}

// A GIF whose LZW stream sends a clear code before every pixel, so every code is a literal
// of 3 bits: the simplest stream a decoder must take.
Bytes Gif() {
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x91, 0, 0};
  Put(&gif, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});  // the 4 colours
  Put(&gif, {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2});              // image, LZW size 2
  uint32_t bits = 0, count = 0;
  Bytes data;
  const auto code = [&](uint32_t value) {
    bits |= value << count;
    count += 3;
    while (count >= 8) data.push_back(bits & 0xFF), bits >>= 8, count -= 8;
  };
  for (uint32_t index : {0u, 1u, 2u, 3u}) code(4), code(index);  // clear, pixel
  code(5);                                                       // end
  if (count > 0) data.push_back(bits & 0xFF);
  gif.push_back(static_cast<uint8_t>(data.size()));
  gif.insert(gif.end(), data.begin(), data.end());
  Put(&gif, {0, 0x3B});
  return gif;
}

// A BMP of the picture, 24 bits, with an info header of `headerSize` bytes (40 for the
// common one, 124 for the V5 header of newer programs).
Bytes Bmp(uint32_t headerSize) {
  Bytes bmp = {'B', 'M'};
  const uint32_t offset = 14 + headerSize, rowBytes = 8;  // 6 bytes of pixels, 2 of padding
  LittleEndian(&bmp, offset + 2 * rowBytes, 4);
  LittleEndian(&bmp, 0, 4);
  LittleEndian(&bmp, offset, 4);
  LittleEndian(&bmp, headerSize, 4);
  LittleEndian(&bmp, 2, 4);
  LittleEndian(&bmp, 2, 4);
  LittleEndian(&bmp, 1, 2);
  LittleEndian(&bmp, 24, 2);
  bmp.resize(offset, 0);                     // no compression, sizes and colour counts 0
  for (const Rgba* row : {kBottom, kTop}) {  // bottom row first
    for (int x = 0; x < 2; ++x) Put(&bmp, {row[x].b, row[x].g, row[x].r});
    Put(&bmp, {0, 0});
  }
  return bmp;
}

Bytes Tga() {
  Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};  // origin bottom left
  for (const Rgba* row : {kBottom, kTop}) {
    for (int x = 0; x < 2; ++x) Put(&tga, {row[x].b, row[x].g, row[x].r});
  }
  return tga;
}

Bytes Psd() {
  Bytes psd = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3};
  BigEndian(&psd, 2, 4);
  BigEndian(&psd, 2, 4);
  Put(&psd, {0, 8, 0, 3});  // 8 bits, RGB
  BigEndian(&psd, 0, 4);    // colour mode data, image resources, layers: none
  BigEndian(&psd, 0, 4);
  BigEndian(&psd, 0, 4);
  Put(&psd, {0, 0});                               // raw
  for (int channel = 0; channel < 3; ++channel) {  // planes, top row first
    for (const Rgba* row : {kTop, kBottom}) {
      for (int x = 0; x < 2; ++x) psd.push_back((&row[x].r)[channel]);
    }
  }
  return psd;
}

Bytes Hdr() {
  const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 2\n";
  Bytes hdr(header.begin(), header.end());
  // RGBE: 1.0 is mantissa 128 at exponent 129 (128 / 256 x 2^(129 - 128)).
  const auto mantissa = [](uint8_t level) { return static_cast<uint8_t>(level ? 128 : 0); };
  for (const Rgba* row : {kTop, kBottom}) {
    for (int x = 0; x < 2; ++x) {
      Put(&hdr, {mantissa(row[x].r), mantissa(row[x].g), mantissa(row[x].b), 129});
    }
  }
  return hdr;
}

Bytes Ppm() {
  const std::string header = "P6\n# made by hand\n2 2\n255\n";
  Bytes ppm(header.begin(), header.end());
  for (const Rgba* row : {kTop, kBottom}) {
    for (int x = 0; x < 2; ++x) Put(&ppm, {row[x].r, row[x].g, row[x].b});
  }
  return ppm;
}

Bytes Jpeg() {
  toolkit_test::ScratchDir dir;
  EXPECT_TRUE(testpics::WriteJPEG("solid.jpg", 8, 8, 3, [](int, int) {
    return testpics::Rgb{240, 120, 20};
  }));
  return testpics::ReadBytes("solid.jpg");
}

TEST(TexturePictureTest, EveryKindIsToldByItsBytesAndComesOutBottomRowFirst) {
  const Rgba grey[4] = {
      {0, 0, 0, 255}, {85, 85, 85, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}};
  const struct {
    const char* kind;
    Bytes bytes;
    Rgba top[2], bottom[2];  // as the picture shows them
    bool translucent;
  } cases[] = {
      {"PNG, truecolour",
       Png(2, 8, {0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255}),
       {kTop[0], kTop[1]},
       {kBottom[0], kBottom[1]},
       false},
      {"PNG, palette with a see-through white",
       Png(3, 8, {0, 0, 1, 0, 2, 3}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255},
           {255, 255, 255, 0}),
       {kTop[0], kTop[1]},
       {kBottom[0], {255, 255, 255, 0}},
       true},
      {"PNG, 16-bit grey",
       Png(0, 16, {0, 0, 0, 0x55, 0x55, 0, 0xAA, 0xAA, 0xFF, 0xFF}),
       {grey[0], grey[1]},
       {grey[2], grey[3]},
       false},
      {"PNG, grey and alpha",
       Png(4, 8, {0, 0, 255, 85, 255, 0, 170, 255, 255, 128}),
       {grey[0], grey[1]},
       {grey[2], {255, 255, 255, 128}},
       true},
      {"TGA", Tga(), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
      {"GIF", Gif(), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
      {"BMP (the toolkit's decoder)", Bmp(40), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
      {"BMP with a V5 header", Bmp(124), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
      {"PSD", Psd(), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
      {"HDR", Hdr(), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
      {"PPM", Ppm(), {kTop[0], kTop[1]}, {kBottom[0], kBottom[1]}, false},
  };
  for (const auto& c : cases) {
    TexturePicture picture;
    std::string why;
    ASSERT_TRUE(DecodeTexturePicture(c.bytes.data(), c.bytes.size(), &picture, &why))
        << c.kind << ": " << why;
    ASSERT_EQ(picture.width, 2) << c.kind;
    ASSERT_EQ(picture.height, 2) << c.kind;
    ASSERT_EQ(picture.rgba.size(), 16u) << c.kind;
    const Rgba want[4] = {c.bottom[0], c.bottom[1], c.top[0], c.top[1]};
    for (int i = 0; i < 4; ++i) {
      const uint8_t* got = &picture.rgba[4 * i];
      EXPECT_EQ(got[0], want[i].r) << c.kind << " pixel " << i;
      EXPECT_EQ(got[1], want[i].g) << c.kind << " pixel " << i;
      EXPECT_EQ(got[2], want[i].b) << c.kind << " pixel " << i;
      EXPECT_EQ(got[3], want[i].a) << c.kind << " pixel " << i;
    }
    EXPECT_EQ(picture.translucent, c.translucent) << c.kind;
  }

  // JPEG loses a little: a solid picture stays near its colour.
  const Bytes jpeg = Jpeg();
  TexturePicture picture;
  std::string why;
  ASSERT_TRUE(DecodeTexturePicture(jpeg.data(), jpeg.size(), &picture, &why)) << why;
  ASSERT_EQ(picture.width, 8);
  EXPECT_NEAR(picture.rgba[0], 240, 8);
  EXPECT_NEAR(picture.rgba[1], 120, 8);
  EXPECT_NEAR(picture.rgba[2], 20, 8);

  // What is no picture, or a cut one, says so.
  const std::string text = "newmtl wood\nmap_Kd wood.png\n";
  EXPECT_FALSE(DecodeTexturePicture(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                    &picture, &why));
  EXPECT_EQ(why, "not a picture of a known kind");
  const Bytes png = Png(2, 8, {0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255});
  EXPECT_FALSE(DecodeTexturePicture(png.data(), 40, &picture, &why));
  EXPECT_FALSE(why.empty());
}

}  // namespace
