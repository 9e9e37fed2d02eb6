// The texture font against headless GL: glyph cells and quads through feedback (PrintText
// projects the 640 x 480 virtual screen onto the 800 x 600 viewport: 1.25 pixels a unit),
// pen advance, state restored, bytes outside the font, and the line buffer.
#include "toolkit/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "show/render_state.h"
#include "tests/support/gl_fixture.h"

namespace {

constexpr float kScale = 800.0f / 640.0f;

// The corners of one glyph as feedback returns it (Mesa splits each quad in two).
struct Glyph {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  float s0 = 1e9f, t0 = 1e9f, s1 = -1e9f, t1 = -1e9f;
  void Add(const FeedbackVertex& v) {
    x0 = std::min(x0, v.x), x1 = std::max(x1, v.x);
    y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
    s0 = std::min(s0, v.s), s1 = std::max(s1, v.s);
    t0 = std::min(t0, v.t), t1 = std::max(t1, v.t);
  }
};

// Groups feedback polygons by glyph. Every polygon of a glyph (two for a whole quad, more
// where clipping cuts it) holds the glyph's left edge, and glyphs in a string sit 10 units
// apart, so the leftmost x names the glyph.
std::vector<Glyph> Glyphs(const std::vector<FeedbackPrimitive>& primitives) {
  std::vector<std::pair<float, Glyph>> byLeft;
  for (const FeedbackPrimitive& primitive : primitives) {
    Glyph part;
    for (const FeedbackVertex& v : primitive.vertices) part.Add(v);
    auto same = std::find_if(byLeft.begin(), byLeft.end(), [&](const auto& entry) {
      return std::fabs(entry.first - part.x0) < 0.5f;
    });
    if (same == byLeft.end()) {
      byLeft.push_back({part.x0, Glyph()});
      same = byLeft.end() - 1;
    }
    for (const FeedbackVertex& v : primitive.vertices) same->second.Add(v);
  }
  std::vector<Glyph> glyphs;
  for (const auto& entry : byLeft) glyphs.push_back(entry.second);
  return glyphs;
}

class FontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gl_ = new HeadlessGL();
    ASSERT_TRUE(gl_->ok()) << gl_->error();
    gl_->MakeCurrent();
    // A list made before the font: with set 0, byte 31 would call it.
    sentinel_ = glGenLists(1);
    glNewList(sentinel_, GL_COMPILE);
    glBegin(GL_POINTS);
    glVertex2i(320, 240);
    glEnd();
    glEndList();
    glGenTextures(1, &fontTexture);
    BuildFontLists();
  }
  static void TearDownTestSuite() {
    DeleteFontLists();
    delete gl_;
  }
  void SetUp() override {
    gl_->MakeCurrent();
    glEnable(GL_TEXTURE_2D);
    BlendingOff();
    std::memset(textLines, 0, sizeof(textLines));
    textLineCount = 0;
    textOutputOn = 1;
  }
  static std::vector<Glyph> Print(int x, int y, const char* text, int set) {
    return Glyphs(CaptureFeedback([&] { PrintText(x, y, text, set); }));
  }

  static HeadlessGL* gl_;
  static GLuint sentinel_;
};
HeadlessGL* FontTest::gl_ = nullptr;
GLuint FontTest::sentinel_ = 0;

TEST_F(FontTest, CapitalAIsGlyph33AtTheLowerLeftCorner) {
  const std::vector<Glyph> glyphs = Print(0, 0, "A", 0);
  ASSERT_EQ(glyphs.size(), 1u);
  const Glyph& g = glyphs[0];
  EXPECT_FLOAT_EQ(g.x0, 0);
  EXPECT_FLOAT_EQ(g.y0, 0);
  EXPECT_FLOAT_EQ(g.x1, 16 * kScale);
  EXPECT_FLOAT_EQ(g.y1, 16 * kScale);
  // Column 1, row 2 from the top of the picture.
  EXPECT_FLOAT_EQ(g.s0, 1 / 16.0f);
  EXPECT_FLOAT_EQ(g.s1, 2 / 16.0f);
  EXPECT_FLOAT_EQ(g.t0, 1 - 3 / 16.0f);
  EXPECT_FLOAT_EQ(g.t1, 1 - 2 / 16.0f);
}

TEST_F(FontTest, FirstAndLastGlyphCells) {
  // Glyph 255 cannot be reached through PrintText's bytes; call the lists directly.
  auto cell = [](int glyph) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100, 100, -100, 100, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const auto glyphs = Glyphs(CaptureFeedback([&] { glCallList(fontListBase + glyph); }));
    EXPECT_EQ(glyphs.size(), 1u);
    return glyphs.empty() ? Glyph() : glyphs[0];
  };
  const Glyph first = cell(0), last = cell(255);
  EXPECT_FLOAT_EQ(first.s0, 0);
  EXPECT_FLOAT_EQ(first.s1, 0.0625f);
  EXPECT_FLOAT_EQ(first.t0, 0.9375f);
  EXPECT_FLOAT_EQ(first.t1, 1);
  EXPECT_FLOAT_EQ(last.s0, 0.9375f);
  EXPECT_FLOAT_EQ(last.s1, 1);
  EXPECT_FLOAT_EQ(last.t0, 0);
  EXPECT_FLOAT_EQ(last.t1, 0.0625f);
  EXPECT_FLOAT_EQ(last.x1 - last.x0, 16 * 4.0f);  // 16 units at 4 pixels a unit
  // The space of set 0 is glyph 0.
  const std::vector<Glyph> space = Print(100, 100, " ", 0);
  ASSERT_EQ(space.size(), 1u);
  EXPECT_FLOAT_EQ(space[0].s0, first.s0);
  EXPECT_FLOAT_EQ(space[0].t0, first.t0);
}

TEST_F(FontTest, SixtyFourCharactersAdvanceTheFullWidth) {
  const std::string text(64, 'M');
  const std::vector<Glyph> glyphs = Print(0, 0, text.c_str(), 0);
  ASSERT_EQ(glyphs.size(), 64u);
  EXPECT_FLOAT_EQ(glyphs[1].x0, 10 * kScale);
  EXPECT_FLOAT_EQ(glyphs[63].x0, 630 * kScale);
  EXPECT_FLOAT_EQ(glyphs[63].x1, 800);  // reaches past the right edge and is clipped there
  // The lists' own advance: 64 glyphs move the pen 640 units.
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glListBase(fontListBase - 32);
  glCallLists(64, GL_BYTE, text.c_str());
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_FLOAT_EQ(m[12], 640);
  glLoadIdentity();
}

TEST_F(FontTest, SetsAboveOneDrawLikeSetOne) {
  const std::vector<Glyph> one = Print(50, 60, "Hi", 1), seven = Print(50, 60, "Hi", 7);
  const std::vector<Glyph> zero = Print(50, 60, "Hi", 0);
  ASSERT_EQ(one.size(), 2u);
  ASSERT_EQ(seven.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FLOAT_EQ(seven[i].x0, one[i].x0);
    EXPECT_FLOAT_EQ(seven[i].s0, one[i].s0);
    EXPECT_FLOAT_EQ(seven[i].t0, one[i].t0);
    EXPECT_FLOAT_EQ(zero[i].t0 - one[i].t0, 0.5f);  // set 1 is the lower half of the picture
  }
}

TEST_F(FontTest, RestoresMatricesAndLeavesDepthOnBlendOff) {
  for (const char* text : {"state", ""}) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 4.0 / 3.0, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, -3);
    GLfloat projection[16], modelview[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    BlendingOn();
    glMatrixMode(GL_PROJECTION);  // PrintText leaves the mode at modelview whatever it was

    const auto primitives = CaptureFeedback([&] { PrintText(10, 10, text, 0); });
    EXPECT_EQ(Glyphs(primitives).size(), std::strlen(text));
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(0, std::memcmp(after, projection, sizeof(after)));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(0, std::memcmp(after, modelview, sizeof(after)));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST_F(FontTest, BytesOutsideTheFontAreDroppedWithoutAdvance) {
  // Byte 31 in set 0 would call the list made just before the font's.
  auto primitives = CaptureFeedback([] { PrintText(0, 0, "\x1f", 0); });
  EXPECT_TRUE(primitives.empty());
  std::vector<Glyph> glyphs = Print(0, 0,
                                    "A\x01\x80\xff"
                                    "B",
                                    0);
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_FLOAT_EQ(glyphs[1].x0, 10 * kScale);  // B follows A directly
  EXPECT_FLOAT_EQ(glyphs[1].s0, 2 / 16.0f);
  // In set 1 the bytes 128..159 fall outside; 160..255 call glyphs 0..95.
  glyphs = Print(0, 0, "\x80\x9f\xa0", 1);
  ASSERT_EQ(glyphs.size(), 1u);
  EXPECT_FLOAT_EQ(glyphs[0].x0, 0);
  EXPECT_FLOAT_EQ(glyphs[0].t1, 1);  // glyph 0: the top row of the picture
  EXPECT_TRUE(Print(0, 0, "ABC", -1).empty());
}

TEST_F(FontTest, PrintLineStoresAndDrawsFromTheTop) {
  glColor4f(1, 0, 0, 0.5f);
  std::vector<Glyph> glyphs = Glyphs(CaptureFeedback([] { PrintLine("top", 0); }));
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_FLOAT_EQ(glyphs[0].y1, 600);
  EXPECT_STREQ(textLines[0], "top");
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[1], 1);
  EXPECT_FLOAT_EQ(colour[3], 1);

  glyphs = Glyphs(CaptureFeedback([] { PrintLine("bottom", 29); }));
  ASSERT_EQ(glyphs.size(), 6u);
  EXPECT_FLOAT_EQ(glyphs[0].y0, 0);

  const std::string longText(100, 'x');
  PrintLine(longText.c_str(), 5);
  EXPECT_EQ(std::strlen(textLines[5]), 79u);
  EXPECT_EQ(textLines[6][0], '\0');

  // Out-of-range lines are ignored and draw nothing.
  EXPECT_TRUE(CaptureFeedback([] { PrintLine("no", 30); }).empty());
  EXPECT_TRUE(CaptureFeedback([] { PrintLine("no", -1); }).empty());
  EXPECT_EQ(textLineCount, 0);
  EXPECT_STREQ(textLines[29], "bottom");

  textOutputOn = 0;
  glColor4f(0, 0, 1, 0);
  EXPECT_TRUE(CaptureFeedback([] { PrintLine("quiet", 2); }).empty());
  EXPECT_STREQ(textLines[2], "quiet");
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 1);
  EXPECT_FLOAT_EQ(colour[3], 1);
}

TEST_F(FontTest, AppendLineFillsLinesOneToTwentyNine) {
  std::vector<Glyph> glyphs = Glyphs(CaptureFeedback([] { AppendLine("first"); }));
  EXPECT_EQ(textLineCount, 1);
  EXPECT_STREQ(textLines[1], "first");
  EXPECT_EQ(textLines[0][0], '\0');
  ASSERT_EQ(glyphs.size(), 5u);
  EXPECT_FLOAT_EQ(glyphs[0].y0, (464 - 16) * kScale);  // where PrintLine puts line 1
  for (int i = 2; i <= 29; ++i) AppendLine(("line " + std::to_string(i)).c_str());
  EXPECT_EQ(textLineCount, 29);
  EXPECT_STREQ(textLines[29], "line 29");
  // A thirtieth append is ignored.
  EXPECT_TRUE(CaptureFeedback([] { AppendLine("overflow"); }).empty());
  EXPECT_EQ(textLineCount, 29);
  EXPECT_STREQ(textLines[29], "line 29");
  textOutputOn = 2;
  textLineCount = 3;
  EXPECT_TRUE(CaptureFeedback([] { AppendLine("stored only"); }).empty());
  EXPECT_STREQ(textLines[4], "stored only");
}

// Without built lists, base 0 would make the bytes call other modules' lists 1..255, and
// deleting 256 lists from base 0 would delete them.
TEST(FontListsTest, UnbuiltOrDeletedFontTouchesNoOtherList) {
  HeadlessGL gl;
  ASSERT_TRUE(gl.ok()) << gl.error();
  gl.MakeCurrent();
  const GLuint other = glGenLists(1);
  ASSERT_GT(other, 0u);
  ASSERT_LT(other, 96u);
  glNewList(other, GL_COMPILE);
  glBegin(GL_POINTS);
  glVertex2i(320, 240);
  glEnd();
  glEndList();

  fontListBase = 0;
  const char byte[2] = {static_cast<char>(32 + other), 0};  // names `other` from base 0
  EXPECT_TRUE(CaptureFeedback([&] { PrintText(0, 0, byte, 0); }).empty());
  DeleteFontLists();
  EXPECT_TRUE(glIsList(other));

  BuildFontLists();
  EXPECT_NE(fontListBase, 0u);
  const GLuint base = fontListBase;
  DeleteFontLists();
  EXPECT_EQ(fontListBase, 0u);
  EXPECT_FALSE(glIsList(base));
  DeleteFontLists();  // a second release leaves the other list alone
  EXPECT_TRUE(glIsList(other));
}

}  // namespace
