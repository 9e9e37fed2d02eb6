// Lights and materials against headless GL: pixel probes of the default light, and the
// parameters and faces each operation touches.
#include "toolkit/lights.h"

#include <gtest/gtest.h>

#include <cmath>

#include "show/render_state.h"
#include "tests/support/gl_fixture.h"

namespace {

class LightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok()) << gl_.error();
    gl_.MakeCurrent();
  }
  // Draws a screen-filling square whose normal is `n` and returns the centre pixel.
  HeadlessGL::Pixel Lit(float nx, float ny, float nz) {
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glNormal3f(nx, ny, nz);
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glVertex3f(1, 1, 0);
    glVertex3f(-1, 1, 0);
    glEnd();
    glFinish();
    return gl_.ReadPixel(400, 300);
  }
  HeadlessGL gl_;
};

TEST_F(LightsTest, DefaultLightFullyLightsSurfacesFacingItAndNothingElse) {
  const GLfloat black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1}, shininess[1] = {0};
  SetMaterial(black, white, black, shininess, black);
  SetupDefaultLight(GL_LIGHT0);
  LightingOn();
  const float k = 1.0f / std::sqrt(3.0f);
  HeadlessGL::Pixel facing = Lit(k, k, k);
  EXPECT_GE(facing.r, 254);
  EXPECT_GE(facing.g, 254);
  EXPECT_GE(facing.b, 254);
  const HeadlessGL::Pixel away = Lit(-k, -k, -k);
  EXPECT_EQ(away.r, 0);  // black, not the grey clear colour: the surface was drawn unlit
  EXPECT_EQ(away.g, 0);
  const HeadlessGL::Pixel sideways = Lit(1, 0, 0);  // cos = 1/sqrt(3)
  EXPECT_NEAR(sideways.r, 255 * k, 2);
  LightingOff();
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));  // LightingOff leaves the light's own switch
}

TEST_F(LightsTest, SetupLightReplacesAllParametersAndEnables) {
  const GLfloat a1[4] = {0.1f, 0.1f, 0.1f, 1}, d1[4] = {0.2f, 0.3f, 0.4f, 1};
  const GLfloat s1[4] = {0.5f, 0.5f, 0.5f, 1}, p1[4] = {1, 2, 3, 1};
  const GLfloat a2[4] = {0.6f, 0.5f, 0.4f, 1}, d2[4] = {0.9f, 0.8f, 0.7f, 1};
  const GLfloat s2[4] = {0, 0.25f, 0, 1}, p2[4] = {-4, 5, -6, 0};
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  SetupLight(GL_LIGHT3, a1, d1, s1, p1);
  SetupLight(GL_LIGHT3, a2, d2, s2, p2);
  EXPECT_TRUE(glIsEnabled(GL_LIGHT3));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));  // neither light operation switches lighting on
  const struct {
    GLenum name;
    const GLfloat* want;
  } checks[] = {{GL_AMBIENT, a2}, {GL_DIFFUSE, d2}, {GL_SPECULAR, s2}, {GL_POSITION, p2}};
  for (const auto& check : checks) {
    GLfloat got[4];
    glGetLightfv(GL_LIGHT3, check.name, got);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(got[i], check.want[i]) << check.name;
  }
}

TEST_F(LightsTest, SetMaterialSetsFrontOnly) {
  GLfloat backBefore[4], backAfter[4], front[4], shine;
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, backBefore);
  const GLfloat ambient[4] = {0.1f, 0.2f, 0.3f, 1}, diffuse[4] = {0.9f, 0.1f, 0.2f, 1};
  const GLfloat specular[4] = {0.3f, 0.3f, 0.3f, 1}, emission[4] = {0, 0, 0.5f, 1};
  const GLfloat shininess[1] = {42};
  SetMaterial(ambient, diffuse, specular, shininess, emission);
  glGetMaterialfv(GL_BACK, GL_DIFFUSE, backAfter);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(backAfter[i], backBefore[i]);
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, front);
  EXPECT_FLOAT_EQ(front[0], 0.9f);
  glGetMaterialfv(GL_FRONT, GL_EMISSION, front);
  EXPECT_FLOAT_EQ(front[2], 0.5f);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shine);
  EXPECT_FLOAT_EQ(shine, 42);
  glGetMaterialfv(GL_BACK, GL_SHININESS, &shine);
  EXPECT_FLOAT_EQ(shine, 0);
}

TEST_F(LightsTest, TogglesAreIndependent) {
  TexturingOff();
  LightingOn();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  TexturingOn();
  LightingOff();
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

}  // namespace
