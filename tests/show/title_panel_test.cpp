// The title panel: its two triangles, their normals and the vector helpers.
#include "show/title_panel.h"

#include <gtest/gtest.h>

#include "platform/gl_api.h"
#include "tests/show/show_gl.h"

using namespace showtest;

namespace {

class TitlePanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGL());
    ResetShowAndGL();
  }
};

// The corner of `t` carrying texture coordinate (s, t), or null.
const Vec3* CornerWithST(const Triangle& tri, float s, float t) {
  for (int k = 0; k < 3; ++k) {
    if (tri.s[k] == s && tri.t[k] == t) return &tri.v[k];
  }
  return nullptr;
}

// Twice the signed area in the x-y plane: positive when counter-clockwise seen from +z.
float Winding(const Triangle& t) {
  return (t.v[1].x - t.v[0].x) * (t.v[2].y - t.v[0].y) -
         (t.v[2].x - t.v[0].x) * (t.v[1].y - t.v[0].y);
}

TEST_F(TitlePanelTest, PanelIsTwoTrianglesCoveringTheSquareAtZMinus3) {
  UseOrtho(5.0f);
  const std::vector<Triangle> tris = CaptureTriangles([] { DrawTitlePanel(); });
  ASSERT_EQ(tris.size(), 2u);
  struct Corner {
    float s, t;
    Vec3 position;
  };
  // t = 1 along the bottom edge: the picture's first row shows at the top.
  const Corner first[3] = {{0, 1, {-2, -2, -3}}, {1, 1, {2, -2, -3}}, {0, 0, {-2, 2, -3}}};
  const Corner second[3] = {{1, 1, {2, -2, -3}}, {1, 0, {2, 2, -3}}, {0, 0, {-2, 2, -3}}};
  for (int k = 0; k < 3; ++k) {
    const Vec3* a = CornerWithST(tris[0], first[k].s, first[k].t);
    ASSERT_NE(a, nullptr) << "triangle 1, corner " << k;
    EXPECT_TRUE(Near(*a, first[k].position)) << "triangle 1, corner " << k;
    const Vec3* b = CornerWithST(tris[1], second[k].s, second[k].t);
    ASSERT_NE(b, nullptr) << "triangle 2, corner " << k;
    EXPECT_TRUE(Near(*b, second[k].position)) << "triangle 2, corner " << k;
  }
  EXPECT_GT(Winding(tris[0]), 0.0f);
  EXPECT_GT(Winding(tris[1]), 0.0f);
}

TEST_F(TitlePanelTest, BothFaceNormalsAreExactlyTowardsTheViewer) {
  const float p1[3] = {-2, -2, -3}, q1[3] = {2, -2, -3}, r1[3] = {-2, 2, -3};
  const float p2[3] = {2, -2, -3}, q2[3] = {2, 2, -3}, r2[3] = {-2, 2, -3};
  float n[3] = {9, 9, 9};
  ComputeFaceNormal(p1, q1, r1, n);
  EXPECT_EQ(n[0], 0.0f);
  EXPECT_EQ(n[1], 0.0f);
  EXPECT_EQ(n[2], 1.0f);
  ComputeFaceNormal(p2, q2, r2, n);
  EXPECT_EQ(n[0], 0.0f);
  EXPECT_EQ(n[1], 0.0f);
  EXPECT_EQ(n[2], 1.0f);

  // What the panel actually sends: the current normal after it is the second face's.
  glNormal3f(0.3f, 0.3f, -0.9f);
  DrawTitlePanel();
  GLfloat sent[3];
  glGetFloatv(GL_CURRENT_NORMAL, sent);
  EXPECT_EQ(sent[0], 0.0f);
  EXPECT_EQ(sent[1], 0.0f);
  EXPECT_EQ(sent[2], 1.0f);

  // A triangle handed in is a copy: the caller's record keeps its own normal.
  PanelTriangle mine = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}, {7, 7, 7}};
  DrawPanelTriangle(mine);
  EXPECT_EQ(mine.normal[2], 7.0f);
  glGetFloatv(GL_CURRENT_NORMAL, sent);
  EXPECT_EQ(sent[2], 1.0f);
  // Clockwise corners face away.
  DrawPanelTriangle({{0, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {1, 0, 0, 1, 0}, {0, 0, 0}});
  glGetFloatv(GL_CURRENT_NORMAL, sent);
  EXPECT_EQ(sent[2], -1.0f);
}

TEST_F(TitlePanelTest, NormalizeAndFaceNormalHandleDegenerateInput) {
  float zero[3] = {0, 0, 0};
  NormalizeVector(zero);
  EXPECT_EQ(zero[0], 0.0f);
  EXPECT_EQ(zero[1], 0.0f);
  EXPECT_EQ(zero[2], 0.0f);
  float up[3] = {0, 0, 16};
  NormalizeVector(up);
  EXPECT_EQ(up[2], 1.0f);
  float slanted[3] = {3, 4, 0};
  NormalizeVector(slanted);
  EXPECT_FLOAT_EQ(slanted[0], 0.6f);
  EXPECT_FLOAT_EQ(slanted[1], 0.8f);
  EXPECT_EQ(slanted[2], 0.0f);
  float tiny[3] = {1e-30f, 0, 0};  // its square underflows a float, not a double
  NormalizeVector(tiny);
  EXPECT_FLOAT_EQ(tiny[0], 1.0f);

  const float a[3] = {0, 0, 0}, b[3] = {1, 1, 1}, c[3] = {2, 2, 2};
  float n[3] = {5, 5, 5};
  ComputeFaceNormal(a, b, c, n);
  EXPECT_EQ(n[0], 0.0f);
  EXPECT_EQ(n[1], 0.0f);
  EXPECT_EQ(n[2], 0.0f);
}

// With lighting on, the panel is lit as a surface facing the light at the viewer.
TEST_F(TitlePanelTest, LitPanelFacesTheViewer) {
  UsePerspective();
  const uint32_t white = SolidTexture(255, 255, 255);
  glBindTexture(GL_TEXTURE_2D, white);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);  // default: white, shining along -z from the viewer
  DrawTitlePanel();
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  const HeadlessGL::Pixel lit = Probe(400, 300);
  // Diffuse 0.8 plus ambient 0.2 * 0.2: about 214; a face turned away would get about 10.
  EXPECT_NEAR(lit.r, 214, 3);
  EXPECT_NEAR(lit.g, 214, 3);
  glDeleteTextures(1, &white);
}

}  // namespace
