// The BMP loader: orientation and colour order of the texture, every supported depth and
// layout, the error boxes, and files whose sizes and offsets lie.
#include "toolkit/bmp_texture.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"
#include "tests/support/gl_fixture.h"
#include "tests/toolkit/toolkit_test_util.h"
#include "toolkit/bmp_decoder.h"

using namespace toolkit_test;

namespace {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

// Stored rows of a 24-bit picture: row 0 is the bottom row, each padded to 4 bytes.
std::vector<uint8_t> Rows24(int width, int height, Rgb (*colour)(int x, int y)) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      rows.insert(rows.end(), {c.b, c.g, c.r});
    }
    rows.resize(rows.size() + (4 - (3 * width) % 4) % 4, 0);
  }
  return rows;
}

Rgb Gradient(int x, int y) {
  return {static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 8), 200};
}

Rgb PixelOf(const RGBImage* image, int x, int y) {
  const uint8_t* p = image->pixels + (static_cast<size_t>(y) * image->width + x) * 3;
  return {p[0], p[1], p[2]};
}

// Decodes bytes that are expected to be a picture.
struct Decoded {
  explicit Decoded(const std::vector<uint8_t>& bytes) {
    image = DecodeDIBBytes(bytes.data(), bytes.size(), &error);
  }
  ~Decoded() { FreeRGBImage(image); }
  RGBImage* image = nullptr;
  DIBError error = DIBError::kNone;
};

class BmpTextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok()) << gl_.error();
    gl_.MakeCurrent();
    fake::Reset();
  }
  // The texels of level 0 of `texture`, first row first.
  std::vector<uint8_t> Texels(GLuint texture, int* width, int* height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<uint8_t> texels(static_cast<size_t>(*width) * *height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  }
  void ExpectOneBox(const std::string& text) {
    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, text);
    EXPECT_EQ(fake::state.boxes[0].caption, "Error");
    EXPECT_EQ(fake::state.boxes[0].type, kMbOk);
  }

  HeadlessGL gl_;
  ScratchDir dir_;
};

TEST_F(BmpTextureTest, TwentyFourBitTextureStartsWithTheBottomRowInRgbOrder) {
  WriteFile("gradient.bmp", Bmp(64, 32, 24, Rows24(64, 32, Gradient)));
  GLuint slot = 0;
  ASSERT_EQ(LoadBitmapTexture("gradient.bmp", &slot), 1);
  EXPECT_NE(slot, 0u);
  int width, height;
  const std::vector<uint8_t> texels = Texels(slot, &width, &height);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 32);
  for (int y : {0, 1, 31}) {
    for (int x : {0, 5, 63}) {
      const uint8_t* t = &texels[(y * 64 + x) * 3];
      EXPECT_EQ((Rgb{t[0], t[1], t[2]}), Gradient(x, y)) << x << "," << y;
    }
  }
  GLint filter;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  EXPECT_TRUE(fake::state.boxes.empty());
}

TEST_F(BmpTextureTest, OddWidthUploadsWithoutShiftAndKeepsUnpackAlignment) {
  auto colour = [](int x, int y) -> Rgb {
    return {static_cast<uint8_t>(10 + x), static_cast<uint8_t>(20 + y), 30};
  };
  WriteFile("three.bmp", Bmp(3, 3, 24, Rows24(3, 3, colour)));
  GLuint slot = 0;
  ASSERT_EQ(LoadBitmapTexture("three.bmp", &slot), 1);
  int width, height;
  const std::vector<uint8_t> texels = Texels(slot, &width, &height);
  ASSERT_EQ(width, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      const uint8_t* t = &texels[(y * 3 + x) * 3];
      EXPECT_EQ((Rgb{t[0], t[1], t[2]}), colour(x, y)) << x << "," << y;
    }
  }
  GLint alignment;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}

TEST_F(BmpTextureTest, MissingFileGivesZeroWithoutBoxOrGLCall) {
  GLuint slot = 1234;
  EXPECT_EQ(LoadBitmapTexture("nowhere.bmp", &slot), 0);
  EXPECT_EQ(slot, 1234u);
  EXPECT_TRUE(fake::state.boxes.empty());
  EXPECT_EQ(ReadBitmapFile(nullptr), nullptr);
  EXPECT_TRUE(fake::state.boxes.empty());
}

TEST_F(BmpTextureTest, EachFailureShowsItsBox) {
  GLuint slot = 77;
  WriteFile("empty.bmp", {});
  EXPECT_EQ(LoadBitmapTexture("empty.bmp", &slot), 0);
  ExpectOneBox("Failed to open DIB file empty.bmp.\n");

  for (uint32_t size : {108u, 124u, 64u}) {
    fake::Reset();
    Bytes v;
    v.Text("BM").U32(14 + size + 4).U32(0).U32(14 + size).U32(size).I32(1).I32(1).U16(1).U16(24);
    v.data.resize(14 + size + 4, 0);
    WriteFile("v.bmp", v.data);
    EXPECT_EQ(LoadBitmapTexture("v.bmp", &slot), 0);
    ExpectOneBox("Unknown DIB file format.");
  }

  fake::Reset();  // pixel rows the file does not hold
  std::vector<uint8_t> cut = Bmp(8, 8, 24, Rows24(8, 8, Gradient));
  cut.resize(cut.size() - 30);
  WriteFile("cut.bmp", cut);
  EXPECT_EQ(LoadBitmapTexture("cut.bmp", &slot), 0);
  ExpectOneBox("Image file conversion error.");
  EXPECT_EQ(slot, 77u);
}

TEST_F(BmpTextureTest, PaletteDepthsDecodeToTheirColours) {
  std::vector<uint8_t> palette;
  for (int i = 0; i < 16; ++i)
    palette.insert(palette.end(), {uint8_t(i), uint8_t(100 + i), uint8_t(16 * i), 0});
  auto entry = [](int i) -> Rgb { return {uint8_t(16 * i), uint8_t(100 + i), uint8_t(i)}; };

  // 8 bits, 5 wide (rows padded to 8), index = x + 5y; index 15 is beyond a 12-entry table.
  std::vector<uint8_t> rows8 = {0, 1, 2, 3, 4, 0, 0, 0, 5, 6, 7, 8, 15, 0, 0, 0};
  {
    Decoded d(
        Bmp(5, 2, 8, rows8, std::vector<uint8_t>(palette.begin(), palette.begin() + 48), 0, 12));
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(PixelOf(d.image, 0, 0), entry(0));
    EXPECT_EQ(PixelOf(d.image, 4, 0), entry(4));
    EXPECT_EQ(PixelOf(d.image, 3, 1), entry(8));
    EXPECT_EQ(PixelOf(d.image, 4, 1), (Rgb{0, 0, 0}));  // beyond the table: black
  }
  // 4 bits, 7 wide: high nibble first.
  std::vector<uint8_t> rows4 = {0x12, 0x34, 0x56, 0x70, 0xFE, 0xDC, 0xBA, 0x90};
  {
    Decoded d(Bmp(7, 2, 4, rows4, palette));
    ASSERT_NE(d.image, nullptr);
    for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelOf(d.image, x, 0), entry(x + 1)) << x;
    for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelOf(d.image, x, 1), entry(15 - x)) << x;
  }
  // 1 bit, 10 wide: most significant bit first, crossing a byte.
  std::vector<uint8_t> rows1 = {0xA5, 0x80, 0, 0, 0x00, 0x40, 0, 0};
  {
    Decoded d(Bmp(10, 2, 1, rows1, {0, 0, 255, 0, 255, 0, 0, 0}));
    ASSERT_NE(d.image, nullptr);
    const bool bits[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 0};
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(PixelOf(d.image, x, 0), (bits[x] ? Rgb{0, 0, 255} : Rgb{255, 0, 0})) << x;
    }
    EXPECT_EQ(PixelOf(d.image, 9, 1), (Rgb{0, 0, 255}));
  }
}

TEST_F(BmpTextureTest, EightBitTextureShowsPaletteColours) {
  std::vector<uint8_t> palette(256 * 4, 0);
  palette[4 * 1 + 2] = 255;  // 1: red
  palette[4 * 2 + 1] = 255;  // 2: green
  palette[4 * 3 + 0] = 255;  // 3: blue
  WriteFile("pal.bmp", Bmp(4, 2, 8, {1, 2, 3, 0, 3, 3, 2, 1}, palette));
  GLuint slot = 0;
  ASSERT_EQ(LoadBitmapTexture("pal.bmp", &slot), 1);
  int width, height;
  const std::vector<uint8_t> t = Texels(slot, &width, &height);
  ASSERT_EQ(t.size(), 24u);
  EXPECT_EQ((Rgb{t[0], t[1], t[2]}), (Rgb{255, 0, 0}));
  EXPECT_EQ((Rgb{t[3], t[4], t[5]}), (Rgb{0, 255, 0}));
  EXPECT_EQ((Rgb{t[6], t[7], t[8]}), (Rgb{0, 0, 255}));
  EXPECT_EQ((Rgb{t[21], t[22], t[23]}), (Rgb{255, 0, 0}));
}

TEST_F(BmpTextureTest, TopDownComesOutBottomRowFirst) {
  std::vector<uint8_t> bottomUp = Rows24(4, 3, Gradient);
  std::vector<uint8_t> topDown;
  for (int y = 2; y >= 0; --y) {
    topDown.insert(topDown.end(), bottomUp.begin() + y * 12, bottomUp.begin() + (y + 1) * 12);
  }
  Decoded a(Bmp(4, 3, 24, bottomUp)), b(Bmp(4, -3, 24, topDown));
  ASSERT_NE(a.image, nullptr);
  ASSERT_NE(b.image, nullptr);
  EXPECT_EQ(b.image->height, 3);
  EXPECT_EQ(0, std::memcmp(a.image->pixels, b.image->pixels, 4 * 3 * 3));
  EXPECT_EQ(PixelOf(b.image, 1, 0), Gradient(1, 0));
}

TEST_F(BmpTextureTest, DirectColourDepthsAndBitFields) {
  // 16 bits 5-5-5: full red, then a mid grey of 16/31.
  Decoded d16(Bmp(2, 1, 16, {0x00, 0x7C, 0x10, 0x42}));
  ASSERT_NE(d16.image, nullptr);
  EXPECT_EQ(PixelOf(d16.image, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(d16.image, 1, 0), (Rgb{132, 132, 132}));
  // 16 bits 5-6-5 through bit fields: full green.
  Bytes masks;
  masks.U32(0xF800).U32(0x07E0).U32(0x001F);
  Decoded d565(Bmp(2, 1, 16, {0xE0, 0x07, 0x1F, 0x00}, {}, 3, 0, masks.data));
  ASSERT_NE(d565.image, nullptr);
  EXPECT_EQ(PixelOf(d565.image, 0, 0), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelOf(d565.image, 1, 0), (Rgb{0, 0, 255}));
  // 32 bits: blue, green, red, unused.
  Decoded d32(Bmp(1, 1, 32, {10, 20, 30, 99}));
  ASSERT_NE(d32.image, nullptr);
  EXPECT_EQ(PixelOf(d32.image, 0, 0), (Rgb{30, 20, 10}));
}

TEST_F(BmpTextureTest, RunLengthEncodings) {
  std::vector<uint8_t> palette;
  for (int i = 0; i < 16; ++i)
    palette.insert(palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  // RLE8: 3 x index 1, absolute 2 3 4, line end; delta (1, 1) to row 2 x 1, 2 x index 5, end.
  Decoded r8(Bmp(8, 3, 8, {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 1, 2, 5, 0, 1}, palette, 1, 16));
  ASSERT_NE(r8.image, nullptr) << int(r8.error);
  const int row0[8] = {1, 1, 1, 2, 3, 4, 0, 0};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelOf(r8.image, x, 0).r, row0[x]) << x;
  EXPECT_EQ(PixelOf(r8.image, 0, 1).r, 0);
  EXPECT_EQ(PixelOf(r8.image, 0, 2).r, 0);
  EXPECT_EQ(PixelOf(r8.image, 1, 2).r, 5);
  EXPECT_EQ(PixelOf(r8.image, 2, 2).r, 5);
  EXPECT_EQ(PixelOf(r8.image, 3, 2).r, 0);
  // RLE4: 5 pixels alternating 1, 2; absolute 3, 4, 5; line end; 2 x 7; end of bitmap.
  Decoded r4(Bmp(8, 2, 4, {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 2, 0x77, 0, 1}, palette, 2, 16));
  ASSERT_NE(r4.image, nullptr) << int(r4.error);
  const int row4[8] = {1, 2, 1, 2, 1, 3, 4, 5};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelOf(r4.image, x, 0).r, row4[x]) << x;
  EXPECT_EQ(PixelOf(r4.image, 1, 1).r, 7);
  EXPECT_EQ(PixelOf(r4.image, 2, 1).r, 0);
}

TEST_F(BmpTextureTest, CoreHeaderAndBareDIB) {
  // A 12-byte core header without file header: 3-byte palette entries, then the bits.
  Bytes core;
  core.U32(12).U16(2).U16(2).U16(1).U16(8);
  for (int i = 0; i < 256; ++i) core.U8(i).U8(0).U8(255 - i);  // blue, green, red
  core.U8(1).U8(2).U16(0).U8(3).U8(4).U16(0);
  Decoded d(core.data);
  ASSERT_NE(d.image, nullptr) << int(d.error);
  EXPECT_EQ(PixelOf(d.image, 0, 0), (Rgb{254, 0, 1}));
  EXPECT_EQ(PixelOf(d.image, 1, 1), (Rgb{251, 0, 4}));
}

TEST_F(BmpTextureTest, LyingSizesAndOffsetsAreRejected) {
  auto reject = [](std::vector<uint8_t> bytes, DIBError expected) {
    Decoded d(bytes);
    EXPECT_EQ(d.image, nullptr);
    EXPECT_EQ(d.error, expected);
  };
  std::vector<uint8_t> good = Bmp(4, 4, 24, Rows24(4, 4, Gradient));
  std::vector<uint8_t> bad = good;
  bad[10] = 0xF0;  // pixel offset far beyond the file
  reject(bad, DIBError::kConversion);
  bad = good;
  bad[18 + 3] = 0x7F;  // width 2^31 - something
  reject(bad, DIBError::kConversion);
  bad = good;
  bad[22] = bad[23] = bad[24] = bad[25] = 0;  // height 0
  reject(bad, DIBError::kConversion);
  bad = good;
  bad[28] = 7;  // 7 bits per pixel
  reject(bad, DIBError::kConversion);
  bad = good;
  bad[30] = 9;  // unknown compression
  reject(bad, DIBError::kConversion);
  // RLE with a header claiming 8192 x 8192 pixels is accepted; one pixel more is refused.
  reject(Bmp(8193, 8192, 8, {0, 1}, std::vector<uint8_t>(1024), 1), DIBError::kConversion);
  // A palette of 2^31 colours in a bare DIB.
  Bytes bare;
  bare.U32(40).I32(1).I32(1).U16(1).U16(8).U32(0).U32(0).U32(0).U32(0).U32(0x80000000u).U32(0);
  bare.U32(0);
  reject(bare.data, DIBError::kConversion);
  reject({'B', 'M', 1}, DIBError::kUnknownFormat);

  // Every cut of a valid file either decodes or fails with a reason.
  std::vector<uint8_t> rle =
      Bmp(8, 3, 8, {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 2, 5, 0, 1}, std::vector<uint8_t>(64), 1, 16);
  for (const std::vector<uint8_t>* file : {&good, &rle}) {
    for (size_t length = 0; length < file->size(); ++length) {
      std::vector<uint8_t> cut(file->begin(), file->begin() + length);
      Decoded d(cut);
      EXPECT_EQ(d.image == nullptr, d.error != DIBError::kNone) << length;
    }
  }
}

}  // namespace
