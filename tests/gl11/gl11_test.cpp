// The GL layer's own behaviour on Mesa's ES 2: batches of every mode, matrix stacks,
// display lists, textures, lighting and GL 1.1's errors. The frames of the show are
// compared with desktop GL in gl11_scene_test.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gl11/batch.h"
#include "platform/gl11/gl11.h"
#include "platform/gl11/gl11_enums.h"
#include "platform/gl11/matrix.h"
#include "platform/headless/headless_gl.h"

namespace {

using gl11::Vertex;

class Gl11Test : public ::testing::Test {
 protected:
  static HeadlessGL* context;
  void SetUp() override {
    // Made once and never destroyed: Mesa must not be torn down from exit handlers.
    if (!context) context = new HeadlessGL(64, 64, HeadlessGL::Api::kGles2);
    ASSERT_TRUE(context->ok()) << context->error();
    context->MakeCurrent();
    gl11Reset();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  // The colour at the middle of the 64 x 64 frame.
  std::vector<int> Centre() {
    const HeadlessGL::Pixel pixel = context->ReadPixel(32, 32);
    return {pixel.r, pixel.g, pixel.b};
  }
  // A quad over the whole viewport (identity matrices), with texture coordinates.
  void FullQuad() {
    gl11Begin(gl11::kQuads);
    gl11TexCoord2f(0, 0);
    gl11Vertex2f(-1, -1);
    gl11TexCoord2f(1, 0);
    gl11Vertex2f(1, -1);
    gl11TexCoord2f(1, 1);
    gl11Vertex2f(1, 1);
    gl11TexCoord2f(0, 1);
    gl11Vertex2f(-1, 1);
    gl11End();
  }
  static std::vector<float> Modelview() {
    std::vector<float> m(16);
    gl11GetFloatv(gl11::kModelviewMatrix, m.data());
    return m;
  }
  static float TranslationX() { return Modelview()[12]; }
};
HeadlessGL* Gl11Test::context = nullptr;

std::vector<Vertex> Numbered(int n) {
  std::vector<Vertex> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[i].position[0] = static_cast<float>(i);
  return v;
}
std::vector<int> Order(const std::vector<Vertex>& v) {
  std::vector<int> out;
  for (const Vertex& x : v) out.push_back(static_cast<int>(x.position[0]));
  return out;
}

TEST(Gl11Batch, AssemblesEveryModeAndDropsIncompletePrimitives) {
  std::vector<Vertex> out;
  EXPECT_EQ(gl11::AssembleBatch(gl11::kQuads, Numbered(7), &out), GLenum(GL_TRIANGLES));
  EXPECT_EQ(Order(out), (std::vector<int>{0, 1, 3, 1, 2, 3}));
  EXPECT_EQ(gl11::AssembleBatch(gl11::kQuadStrip, Numbered(7), &out), GLenum(GL_TRIANGLES));
  EXPECT_EQ(Order(out), (std::vector<int>{1, 3, 0, 3, 2, 0, 3, 5, 2, 5, 4, 2}));
  EXPECT_EQ(gl11::AssembleBatch(gl11::kPolygon, Numbered(5), &out), GLenum(GL_TRIANGLES));
  EXPECT_EQ(Order(out), (std::vector<int>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
  EXPECT_EQ(gl11::AssembleBatch(GL_TRIANGLES, Numbered(8), &out), GLenum(GL_TRIANGLES));
  EXPECT_EQ(out.size(), 6u);
  EXPECT_EQ(gl11::AssembleBatch(GL_LINES, Numbered(5), &out), GLenum(GL_LINES));
  EXPECT_EQ(out.size(), 4u);
  EXPECT_EQ(gl11::AssembleBatch(GL_TRIANGLE_FAN, Numbered(5), &out), GLenum(GL_TRIANGLE_FAN));
  EXPECT_EQ(out.size(), 5u);
  // Too few vertices for one primitive: nothing at all.
  for (GLenum mode : {GLenum(GL_TRIANGLE_STRIP), GLenum(GL_LINE_LOOP), gl11::kQuadStrip,
                      gl11::kPolygon, gl11::kQuads}) {
    gl11::AssembleBatch(mode, Numbered(mode == GL_LINE_LOOP ? 1 : 2), &out);
    EXPECT_TRUE(out.empty()) << mode;
  }
}

// The indexed draw of quads, strips and polygons makes exactly the assembled triangles,
// for every length, from one pattern grown to the longest batch.
TEST(Gl11Batch, IndexPatternsDrawTheAssembledTriangles) {
  std::vector<uint16_t> longest;
  for (GLenum mode : {gl11::kQuads, gl11::kQuadStrip, gl11::kPolygon}) {
    gl11::TriangleIndices(mode, gl11::TriangleIndexCount(mode, 40), &longest);
    for (int n = 0; n <= 40; ++n) {
      std::vector<Vertex> assembled;
      gl11::AssembleBatch(mode, Numbered(n), &assembled);
      const size_t count = gl11::TriangleIndexCount(mode, static_cast<size_t>(n));
      EXPECT_EQ(Order(assembled), std::vector<int>(longest.begin(), longest.begin() + count))
          << "mode " << mode << ", " << n << " vertices";
    }
  }
  EXPECT_EQ(gl11::TriangleIndexCount(GL_TRIANGLES, 30), 0u) << "drawn as sent";
  EXPECT_EQ(gl11::TriangleIndexCount(gl11::kQuadStrip, 65536), 6u * 32767);
  EXPECT_EQ(gl11::TriangleIndexCount(gl11::kQuadStrip, 65537), 0u) << "past 16-bit indices";
}

TEST(Gl11Matrix, RotationScalingAndNormalsFollowGL) {
  // 90 degrees about a long z axis: x goes to y.
  const gl11::Mat4 r = gl11::Rotation(90.0f, 0.0f, 0.0f, 5.0f);
  const float x[4] = {1, 0, 0, 1};
  float out[4];
  gl11::Transform(r, x, out);
  EXPECT_NEAR(out[0], 0.0f, 1e-6f);
  EXPECT_NEAR(out[1], 1.0f, 1e-6f);
  // An axis shorter than 1e-4 turns nothing.
  const gl11::Mat4 none = gl11::Rotation(45.0f, 0.0f, 0.0f, 1e-5f);
  const gl11::Mat4 identity = gl11::Identity();
  EXPECT_EQ(std::vector<float>(none.m, none.m + 16),
            std::vector<float>(identity.m, identity.m + 16));
  // Normals under a stretch along x shrink along x (the transposed inverse).
  float normal[9];
  gl11::NormalMatrix(gl11::Scaling(2.0f, 1.0f, 4.0f), normal);
  EXPECT_FLOAT_EQ(normal[0], 0.5f);
  EXPECT_FLOAT_EQ(normal[4], 1.0f);
  EXPECT_FLOAT_EQ(normal[8], 0.25f);
  gl11::Mat4 m;
  EXPECT_FALSE(gl11::Ortho(0, 0, 0, 1, 0, 1, &m));
  EXPECT_FALSE(gl11::Frustum(-1, 1, -1, 1, 0, 10, &m));
}

TEST_F(Gl11Test, MatrixStacksKeepTheirDepthAndReportOverAndUnderflow) {
  gl11MatrixMode(gl11::kModelview);
  gl11Translatef(1.0f, 0.0f, 0.0f);
  for (int i = 1; i < 32; ++i) gl11PushMatrix();
  EXPECT_EQ(gl11GetError(), GLenum(GL_NO_ERROR));
  gl11Translatef(5.0f, 0.0f, 0.0f);
  gl11PushMatrix();  // the 33rd
  EXPECT_EQ(gl11GetError(), gl11::kStackOverflow);
  EXPECT_FLOAT_EQ(TranslationX(), 6.0f);
  for (int i = 1; i < 32; ++i) gl11PopMatrix();
  EXPECT_FLOAT_EQ(TranslationX(), 1.0f);
  gl11PopMatrix();
  EXPECT_EQ(gl11GetError(), gl11::kStackUnderflow);
  EXPECT_FLOAT_EQ(TranslationX(), 1.0f);
  // The projection stack is separate; glOrtho multiplies onto it.
  gl11MatrixMode(gl11::kProjection);
  gl11Ortho(0, 640, 0, 480, -100, 100);
  std::vector<float> p(16);
  gl11GetFloatv(gl11::kProjectionMatrix, p.data());
  EXPECT_FLOAT_EQ(p[0], 2.0f / 640.0f);
  EXPECT_FLOAT_EQ(p[12], -1.0f);
  gl11Ortho(0, 0, 0, 1, 0, 1);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_VALUE));
  gl11MatrixMode(0x1234);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_ENUM));
}

TEST_F(Gl11Test, CompiledListsRunOnlyWhenCalledAndSeeTheCallersState) {
  const GLuint first = gl11GenLists(3);
  ASSERT_NE(first, 0u);
  EXPECT_TRUE(gl11IsList(first + 2));
  EXPECT_EQ(gl11GenLists(1), first + 3);  // above every name used, as Mesa counts

  gl11NewList(first, gl11::kCompile);
  gl11Translatef(2.0f, 0.0f, 0.0f);
  gl11EndList();
  EXPECT_FLOAT_EQ(TranslationX(), 0.0f);  // compiled, not run
  gl11CallList(first);
  gl11CallList(first);
  EXPECT_FLOAT_EQ(TranslationX(), 4.0f);

  // Compile and execute runs it at once; a list calling itself stops at the nesting limit.
  gl11LoadIdentity();
  gl11NewList(first + 1, gl11::kCompileAndExecute);
  gl11Translatef(1.0f, 0.0f, 0.0f);
  gl11CallList(first + 1);  // the old (empty) contents run now
  gl11EndList();
  EXPECT_FLOAT_EQ(TranslationX(), 1.0f);
  gl11LoadIdentity();
  gl11CallList(first + 1);
  EXPECT_FLOAT_EQ(TranslationX(), 64.0f);

  // glCallLists adds the base current when it runs, also from inside a list.
  gl11LoadIdentity();
  const signed char offsets[] = {0, 0, -1};
  gl11ListBase(first + 1);
  gl11CallLists(3, GL_BYTE, offsets);  // first+1, first+1, first
  EXPECT_FLOAT_EQ(TranslationX(), 130.0f);
  gl11NewList(first + 2, gl11::kCompile);
  gl11CallLists(1, GL_UNSIGNED_BYTE, "\x00");
  gl11EndList();
  gl11LoadIdentity();
  gl11ListBase(first);
  gl11CallList(first + 2);
  EXPECT_FLOAT_EQ(TranslationX(), 2.0f);
  const unsigned char twoBytes[] = {0, 0};
  gl11LoadIdentity();
  gl11CallLists(1, gl11::k2Bytes, twoBytes);
  EXPECT_FLOAT_EQ(TranslationX(), 2.0f);
  EXPECT_EQ(gl11GetError(), GLenum(GL_NO_ERROR));

  gl11DeleteLists(first, 3);
  EXPECT_FALSE(gl11IsList(first));
  gl11LoadIdentity();
  gl11CallList(first);  // a deleted list is nothing
  EXPECT_FLOAT_EQ(TranslationX(), 0.0f);
}

TEST_F(Gl11Test, ListErrorsAreGL11s) {
  gl11NewList(0, gl11::kCompile);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_VALUE));
  gl11NewList(5, 0x1234);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_ENUM));
  gl11EndList();
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_OPERATION));
  gl11NewList(5, gl11::kCompile);
  gl11NewList(6, gl11::kCompile);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_OPERATION));
  gl11EndList();
  EXPECT_TRUE(gl11IsList(5));
  EXPECT_FALSE(gl11IsList(6));
  gl11CallLists(-1, GL_BYTE, "");
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_VALUE));
  gl11CallLists(1, 0x1234, "");
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_ENUM));
  EXPECT_EQ(gl11GenLists(-2), 0u);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_VALUE));
}

TEST_F(Gl11Test, CommandsBetweenBeginAndEndAreRefused) {
  gl11Begin(gl11::kQuads);
  gl11Begin(GL_TRIANGLES);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_OPERATION));  // and the batch stays open
  gl11Translatef(1.0f, 0.0f, 0.0f);
  gl11Enable(GL_BLEND);
  gl11End();
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_OPERATION));
  EXPECT_FLOAT_EQ(TranslationX(), 0.0f);
  EXPECT_FALSE(gl11IsEnabled(GL_BLEND));
  gl11End();
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_OPERATION));
  gl11Begin(42);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_ENUM));
}

TEST_F(Gl11Test, TexturesOfInternalFormat3ModulateTheCurrentColour) {
  const uint8_t texels[2 * 2 * 3] = {200, 100, 50, 200, 100, 50, 200, 100, 50, 200, 100, 50};
  GLuint name = 0;
  gl11GenTextures(1, &name);
  gl11BindTexture(GL_TEXTURE_2D, name);
  gl11PixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl11TexImage2D(GL_TEXTURE_2D, 0, 3, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  EXPECT_EQ(gl11GetError(), GLenum(GL_NO_ERROR));
  gl11Enable(GL_TEXTURE_2D);
  gl11Color4ub(255, 128, 255, 255);

  // GL's default minifying filter wants mipmaps: with one level GL draws untextured.
  FullQuad();
  EXPECT_EQ(Centre(), (std::vector<int>{255, 128, 255}));
  gl11TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  FullQuad();
  const std::vector<int> c = Centre();
  EXPECT_NEAR(c[0], 200, 1);
  EXPECT_NEAR(c[1], 50, 1);
  EXPECT_NEAR(c[2], 50, 1);

  // A name with no picture (a failed load leaves slot 0) draws in the colour alone.
  gl11BindTexture(GL_TEXTURE_2D, 0);
  FullQuad();
  EXPECT_EQ(Centre(), (std::vector<int>{255, 128, 255}));

  // Data whose format the internal format does not name is refused, not reinterpreted.
  gl11BindTexture(GL_TEXTURE_2D, name);
  gl11TexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_OPERATION));
  gl11TexImage2D(GL_TEXTURE_2D, 0, 7, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_VALUE));
}

TEST_F(Gl11Test, AdditiveBlendAndDepthTestReachES) {
  gl11Disable(GL_TEXTURE_2D);
  gl11Enable(GL_BLEND);
  gl11BlendFunc(GL_SRC_ALPHA, GL_ONE);
  gl11Color4f(0.4f, 0.2f, 0.0f, 0.5f);
  FullQuad();
  FullQuad();
  const std::vector<int> c = Centre();
  EXPECT_NEAR(c[0], 102, 2);  // 2 x 0.4 x 0.5
  EXPECT_NEAR(c[1], 51, 2);
  gl11Disable(GL_BLEND);

  gl11Enable(GL_DEPTH_TEST);
  gl11DepthFunc(GL_LEQUAL);
  gl11Clear(GL_DEPTH_BUFFER_BIT);
  gl11Color3f(0.0f, 1.0f, 0.0f);
  FullQuad();                        // z = 0
  gl11Translatef(0.0f, 0.0f, 0.5f);  // further away under the identity projection
  gl11Color3f(1.0f, 0.0f, 0.0f);
  FullQuad();
  EXPECT_EQ(Centre(), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(gl11GetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Gl11Test, LightingAddsAmbientDiffuseAndSpecularTerms) {
  gl11Disable(GL_TEXTURE_2D);
  gl11Enable(gl11::kLighting);
  gl11Enable(gl11::kLight0);
  const float towardsViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  gl11Lightfv(gl11::kLight0, gl11::kPosition, towardsViewer);
  const float diffuse[4] = {0.5f, 0.25f, 0.75f, 1.0f};
  const float ambient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  gl11Materialfv(GL_FRONT, gl11::kDiffuse, diffuse);
  gl11Materialfv(GL_FRONT, gl11::kAmbient, ambient);
  gl11Normal3f(0.0f, 0.0f, 1.0f);
  gl11Color3f(0.0f, 0.0f, 0.0f);  // ignored while lighting is on
  FullQuad();
  // Scene ambient 0.2 x 0.5, plus the diffuse term at full strength.
  std::vector<int> c = Centre();
  EXPECT_NEAR(c[0], 153, 2);
  EXPECT_NEAR(c[1], 89, 2);
  EXPECT_NEAR(c[2], 217, 2);

  // A white specular material under GL_LIGHT0's white specular: the highlight saturates.
  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  gl11Materialfv(GL_FRONT, gl11::kSpecular, white);
  FullQuad();
  EXPECT_EQ(Centre(), (std::vector<int>{255, 255, 255}));

  // A light facing away gives only the ambient terms.
  const float behind[4] = {0.0f, 0.0f, -1.0f, 0.0f};
  gl11Lightfv(gl11::kLight0, gl11::kPosition, behind);
  FullQuad();
  c = Centre();
  EXPECT_NEAR(c[0], 26, 2);
  EXPECT_NEAR(c[2], 26, 2);

  // Not provided, and said so.
  gl11ShadeModel(gl11::kFlat);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_ENUM));
  const float shininess[1] = {200.0f};
  gl11Materialfv(GL_FRONT, gl11::kShininess, shininess);
  EXPECT_EQ(gl11GetError(), GLenum(GL_INVALID_VALUE));
  gl11Disable(gl11::kLighting);
}

}  // namespace
