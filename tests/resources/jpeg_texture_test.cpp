// The JPEG texture loader: decoding, orientation and packing of the upload, and the one
// report every unreadable picture gets.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl_api.h"
#include "resources/jpeg_decode.h"
#include "resources/jpeg_texture.h"
#include "tests/resources/test_pictures.h"
#include "tests/support/fake_platform.h"
#include "tests/support/headless_suite.h"

using testpics::Rgb;

namespace {

class JpegTexture : public HeadlessSuite {
 protected:
  void SetUp() override {
    HeadlessSuite::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_FALSE(folder_.path().empty());
  }

  // The texture's level 0 as tightly packed RGB rows, row t = 0 first.
  static std::vector<uint8_t> ReadTexture(uint32_t name, int* width, int* height) {
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<uint8_t> texels(size_t(*width) * *height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return texels;
  }

  std::string ExpectedReport(const std::string& file) {
    return "qenLoadJPEGTexture -> Texture ' " + file +
           " ' Loading Error (file don't exist)   [0]\n";
  }

  // Loading `file` fails with exactly one report and leaves the slot as it was.
  void ExpectRejected(const std::string& file) {
    SCOPED_TRACE(file);
    fake::Reset();
    uint32_t slot = 77;
    EXPECT_EQ(qenLoadJPEGTexture(file.c_str(), &slot), 0);
    EXPECT_EQ(slot, 77u);
    ASSERT_EQ(fake::state.boxes.size(), 1u);
    EXPECT_EQ(fake::state.boxes[0].text, ExpectedReport(file));
    EXPECT_EQ(fake::state.boxes[0].caption, "Vorlen - ERROR");
    RGBImage* image = DecodeJPEGFile(file.c_str());
    EXPECT_EQ(image, nullptr);
    FreeRGBImage(image);
  }

  testpics::ScratchFolder folder_;
};

bool Near(int a, int b, int tolerance = 6) {
  return std::abs(a - b) <= tolerance;
}

// Top half red, bottom half blue: which end lands at t = 0 is plain to see.
Rgb RedOverBlue(int, int y, int height) {
  return y < height / 2 ? Rgb{250, 10, 10} : Rgb{10, 10, 250};
}

TEST_F(JpegTexture, FileTopRowLandsAtTextureTZero) {
  const std::string file = folder_ / "halves.jpg";
  ASSERT_TRUE(
      testpics::WriteJPEG(file, 16, 16, 3, [](int x, int y) { return RedOverBlue(x, y, 16); }));

  uint32_t slot = 0;
  ASSERT_EQ(qenLoadJPEGTexture(file.c_str(), &slot), 1);
  EXPECT_NE(slot, 0u);
  EXPECT_TRUE(fake::state.boxes.empty());
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), slot) << "the new texture stays bound";

  int width = 0, height = 0;
  const std::vector<uint8_t> texels = ReadTexture(slot, &width, &height);
  ASSERT_EQ(width, 16);
  ASSERT_EQ(height, 16);
  const uint8_t* first = &texels[0];                            // t = 0
  const uint8_t* last = &texels[size_t(15) * 16 * 3 + 15 * 3];  // t = 1
  EXPECT_GT(first[0], 200);
  EXPECT_LT(first[2], 60);
  EXPECT_LT(last[0], 60);
  EXPECT_GT(last[2], 200);

  GLint minFilter = 0, magFilter = 0, format = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  EXPECT_EQ(minFilter, GL_LINEAR) << "one level only: a mipmap filter would leave it incomplete";
  EXPECT_EQ(magFilter, GL_LINEAR);
  EXPECT_EQ(format, 3) << "the legacy component count, as passed";
}

TEST_F(JpegTexture, OddWidthsUploadWithoutShiftAndKeepAlignment) {
  // Rows of 3 x width bytes that are not a multiple of 4: with the default alignment GL
  // would skip bytes at each row end and read past the block.
  for (int width : {1, 3, 5, 6, 7, 8, 13}) {
    SCOPED_TRACE(width);
    const std::string file = folder_ / ("w" + std::to_string(width) + ".jpg");
    ASSERT_TRUE(testpics::WriteJPEG(file, width, 9, 3, [](int x, int y) {
      return Rgb{uint8_t(20 * x + 10), uint8_t(25 * y), uint8_t(200 - 10 * x)};
    }));
    RGBImage* image = DecodeJPEGFile(file.c_str());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, 9);

    uint32_t slot = 0;
    ASSERT_EQ(qenLoadJPEGTexture(file.c_str(), &slot), 1);
    int w = 0, h = 0;
    const std::vector<uint8_t> texels = ReadTexture(slot, &w, &h);
    ASSERT_EQ(w, width);
    ASSERT_EQ(h, 9);
    // Texel for texel what the decoder made.
    EXPECT_TRUE(std::equal(texels.begin(), texels.end(), image->pixels));
    FreeRGBImage(image);

    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
  }
}

TEST_F(JpegTexture, DecodeKeepsFileOrderAndColours) {
  const std::string file = folder_ / "grid.jpg";
  ASSERT_TRUE(testpics::WriteJPEG(file, 16, 8, 3, [](int x, int y) {
    return Rgb{uint8_t(x < 8 ? 240 : 20), uint8_t(y < 4 ? 230 : 30), 128};
  }));
  RGBImage* image = DecodeJPEGFile(file.c_str());
  ASSERT_NE(image, nullptr);
  auto at = [&](int x, int y) { return image->pixels + (size_t(y) * 16 + x) * 3; };
  EXPECT_TRUE(Near(at(2, 1)[0], 240, 12) && Near(at(2, 1)[1], 230, 12)) << "top left";
  EXPECT_TRUE(Near(at(13, 1)[0], 20, 12) && Near(at(13, 1)[1], 230, 12)) << "top right";
  EXPECT_TRUE(Near(at(2, 6)[0], 240, 12) && Near(at(2, 6)[1], 30, 12)) << "bottom left";
  EXPECT_TRUE(Near(at(13, 6)[2], 128, 12)) << "bottom right";
  FreeRGBImage(image);
}

TEST_F(JpegTexture, GreyscaleComesOutAsRgb) {
  const std::string file = folder_ / "grey.jpg";
  ASSERT_TRUE(testpics::WriteJPEG(file, 5, 4, 1, [](int x, int) {
    return Rgb{uint8_t(x < 2 ? 40 : 210), 0, 0};
  }));
  uint32_t slot = 0;
  ASSERT_EQ(qenLoadJPEGTexture(file.c_str(), &slot), 1);
  int w = 0, h = 0;
  const std::vector<uint8_t> texels = ReadTexture(slot, &w, &h);
  ASSERT_EQ(w, 5);
  ASSERT_EQ(h, 4);
  for (int x : {0, 4}) {
    const uint8_t* t = &texels[size_t(3) * 5 * 3 + x * 3];
    EXPECT_TRUE(Near(t[0], x < 2 ? 40 : 210, 12)) << int(t[0]);
    EXPECT_EQ(t[0], t[1]);
    EXPECT_EQ(t[1], t[2]);
  }
}

TEST_F(JpegTexture, UnreadablePicturesAreReportedOnceAndLeaveTheSlot) {
  const std::string good = folder_ / "good.jpg";
  ASSERT_TRUE(testpics::WriteJPEG(good, 32, 32, 3, [](int x, int y) {
    return Rgb{uint8_t(x * 8), uint8_t(y * 8), uint8_t((x ^ y) * 8)};
  }));
  const std::vector<uint8_t> bytes = testpics::ReadBytes(good);
  ASSERT_GT(bytes.size(), 200u);

  // Cut in the middle of the entropy-coded data: libjpeg alone would pad it with grey.
  const std::string truncated = folder_ / "truncated.jpg";
  ASSERT_TRUE(testpics::WriteBytes(
      truncated, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() * 2 / 3)));
  ExpectRejected(truncated);

  // Only the start-of-image marker.
  const std::string header = folder_ / "header-only.jpg";
  ASSERT_TRUE(testpics::WriteBytes(header, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 2)));
  ExpectRejected(header);

  // A frame header that declares no rows.
  std::vector<uint8_t> corrupt = bytes;
  size_t sof = 0;
  for (size_t i = 0; i + 8 < corrupt.size(); ++i) {
    if (corrupt[i] == 0xFF && corrupt[i + 1] == 0xC0) {
      sof = i;
      break;
    }
  }
  ASSERT_NE(sof, 0u);
  corrupt[sof + 5] = 0;  // height, high byte
  corrupt[sof + 6] = 0;  // height, low byte
  const std::string corruptFile = folder_ / "corrupt.jpg";
  ASSERT_TRUE(testpics::WriteBytes(corruptFile, corrupt));
  ExpectRejected(corruptFile);

  // A frame header declaring 40000 x 40000 pixels: refused before anything is allocated.
  std::vector<uint8_t> huge = bytes;
  huge[sof + 5] = 0x9C, huge[sof + 6] = 0x40, huge[sof + 7] = 0x9C, huge[sof + 8] = 0x40;
  const std::string hugeFile = folder_ / "huge.jpg";
  ASSERT_TRUE(testpics::WriteBytes(hugeFile, huge));
  ExpectRejected(hugeFile);

  // A PNG under a .jpg name.
  const std::string png = folder_ / "picture.jpg";
  ASSERT_TRUE(testpics::WriteBytes(png, testpics::ReadBytes("tests/data/four_pixels.png")));
  ASSERT_FALSE(testpics::ReadBytes(png).empty());
  ExpectRejected(png);

  // Four components (CMYK) do not fit three bytes a pixel.
  const std::string cmyk = folder_ / "cmyk.jpg";
  ASSERT_TRUE(testpics::WriteJPEG(cmyk, 8, 8, 4, [](int, int) { return Rgb{200, 100, 50}; }));
  ExpectRejected(cmyk);

  ExpectRejected(folder_ / "missing.jpg");
  ExpectRejected("");

  // After all that the loader still works, and a '%' in a name is not a format.
  const std::string percent = folder_ / "100%s.jpg";
  ASSERT_TRUE(testpics::WriteBytes(percent, bytes));
  fake::Reset();
  uint32_t slot = 0;
  EXPECT_EQ(qenLoadJPEGTexture(percent.c_str(), &slot), 1);
  EXPECT_NE(slot, 0u);
  EXPECT_TRUE(fake::state.boxes.empty());
  ExpectRejected(folder_ / "missing%d%s.jpg");
}

TEST_F(JpegTexture, WindowsStyleNamesResolve) {
  // The show names its pictures "data\x.jpg"; the folder here is "Data".
  const std::string data = folder_ / "Data";
  ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
  ASSERT_TRUE(testpics::WriteJPEG(data + "/Mur.jpg", 8, 8, 3, [](int, int) {
    return Rgb{1, 2, 3};
  }));
  const std::string name = folder_.path() + "\\data\\mur.jpg";
  RGBImage* image = DecodeJPEGFile(name.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 8);
  FreeRGBImage(image);
}

}  // namespace
