// The intro: which scenes each order draws, the angles, the layering and the state a
// frame leaves behind.
#include "show/intro.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/gl_api.h"
#include "resources/startup.h"
#include "show/next_random.h"
#include "show/particle_field.h"
#include "tests/show/show_gl.h"
#include "tests/support/fake_platform.h"

using namespace showtest;

namespace {

constexpr float kBox = 60.0f;  // holds the tubes (z -10..10) and the stream (z -40..1)

// What one frame drew, recognised from its geometry in eye space.
struct Scenes {
  int logo = 0;       // triangles of the logo quad at z = -2
  int outerTube = 0;  // triangles at radius 0.5 about the view axis
  int innerTube = 0;  // triangles at radius 0.4
  int sprites = 0;    // 2 x 2 squares facing the viewer (particles)
  int panels = 0;     // triangles of the 4 x 4 title panel at z = -3
  int spheres = 0;    // triangles 5.5 from the viewer
};

float Radius(const Vec3& v) {
  return std::hypot(v.x, v.y);
}
float Distance(const Vec3& v) {
  return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

template <typename Test>
bool All(const Triangle& t, Test test) {
  return test(t.v[0]) && test(t.v[1]) && test(t.v[2]);
}

Scenes Classify(const std::vector<Triangle>& triangles) {
  Scenes s;
  for (const Triangle& t : triangles) {
    if (All(t, [](const Vec3& v) {
          return Near(std::fabs(v.x), 1.1f, 1e-3f) && Near(std::fabs(v.y), 0.9f, 1e-3f) &&
                 Near(v.z, -2.0f, 1e-3f);
        })) {
      ++s.logo;
    } else if (All(t, [](const Vec3& v) {
                 return Near(std::fabs(v.x), 2.0f, 1e-3f) && Near(std::fabs(v.y), 2.0f, 1e-3f) &&
                        Near(v.z, -3.0f, 1e-3f);
               })) {
      ++s.panels;
    } else if (All(t, [](const Vec3& v) { return Near(Radius(v), 0.5f, 1e-3f); })) {
      ++s.outerTube;
    } else if (All(t, [](const Vec3& v) { return Near(Radius(v), 0.4f, 1e-3f); })) {
      ++s.innerTube;
    } else if (All(t, [](const Vec3& v) { return Near(Distance(v), 5.5f, 2e-3f); })) {
      ++s.spheres;
    } else {
      const float w = std::fmax(std::fabs(t.v[0].x - t.v[1].x), std::fabs(t.v[0].x - t.v[2].x));
      const float h = std::fmax(std::fabs(t.v[0].y - t.v[1].y), std::fabs(t.v[0].y - t.v[2].y));
      if (Near(w, 2.0f, 1e-3f) && Near(h, 2.0f, 1e-3f) && Near(t.v[0].z, t.v[2].z, 1e-3f)) {
        ++s.sprites;
      }
    }
  }
  return s;
}

class IntroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGL());
    ResetShowAndGL();
    FillTextures(255, 255, 255);
    // The field the show builds at start-up.
    Build(particleField, 40, 1);
  }

  Scenes DrawFrame() {
    UseOrtho(kBox);
    return Classify(CaptureTriangles([] { DrawIntro(); }));
  }
};

TEST_F(IntroTest, EachOrderDrawsItsScenes) {
  for (int order = 0; order <= 7; ++order) {
    SCOPED_TRACE("order " + std::to_string(order));
    introPhase = 1;
    SetOrder(order);
    const float sphereBefore = sphereSpin, tunnelBefore = tunnelSpin;
    const Scenes s = DrawFrame();
    const bool logo = order < 2, tunnel = order == 2 || order == 3;
    const bool spheres = order == 4 || order == 5;
    const int panels = order == 3 || order == 5 ? 1 : 0;
    EXPECT_EQ(s.logo, logo ? 2 : 0);
    EXPECT_EQ(s.outerTube > 1000, tunnel);
    EXPECT_EQ(s.innerTube > 1000, tunnel);
    EXPECT_EQ(s.sprites, tunnel ? 80 : 0);
    EXPECT_EQ(s.spheres > 1000, spheres);
    EXPECT_EQ(s.panels, 2 * panels);
    // Only order 6 itself ends the intro; 7 leaves a cleared screen and goes on.
    EXPECT_EQ(introPhase, order == 6 ? 0 : 1);
    const float sphereStep = order == 3 ? 1.0f : spheres ? 0.5f : 0.0f;
    EXPECT_EQ(sphereSpin, sphereBefore + sphereStep);
    EXPECT_EQ(tunnelSpin, tunnel ? tunnelBefore + 0.3f : tunnelBefore);
    EXPECT_TRUE(fake::state.boxes.empty());
  }
}

TEST_F(IntroTest, EveryTestAsksTheOrderAfresh) {
  int queries = 0;
  // Order 2: the logo test, the two tunnel tests, the panel test, one sphere test (the
  // second is not made) and the end test.
  SetOrderSequence({2}, &queries);
  DrawFrame();
  EXPECT_EQ(queries, 6);

  // The order moves from 1 to 2 after the logo test: both the logo and the tunnel.
  SetOrderSequence({1, 2}, &queries);
  Scenes s = DrawFrame();
  EXPECT_EQ(s.logo, 2);
  EXPECT_GT(s.outerTube, 1000);
  EXPECT_EQ(s.panels, 0);

  // From 3 to 4 after the tunnel's panel test: tunnel, panel and spheres in one frame.
  SetOrderSequence({3, 3, 3, 3, 4}, &queries);
  const float sphereBefore = sphereSpin;
  s = DrawFrame();
  EXPECT_GT(s.outerTube, 1000);
  EXPECT_EQ(s.panels, 2);
  EXPECT_GT(s.spheres, 1000);
  EXPECT_EQ(sphereSpin, sphereBefore + 1.0f + 0.5f);

  // From 5 to 6 between the sphere scene's two tests: nothing drawn, and the intro ends.
  SetOrderSequence({5, 5, 5, 5, 6}, &queries);
  s = DrawFrame();
  EXPECT_EQ(s.logo + s.outerTube + s.spheres + s.panels + s.sprites, 0);
  EXPECT_EQ(introPhase, 0);
}

TEST_F(IntroTest, WithoutAModuleTheLogoStaysAndTheIntroNeverEnds) {
  fake::state.position = nullptr;  // the player reports an error: order 0
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(DrawFrame().logo, 2);
    EXPECT_EQ(introPhase, 1);
  }
}

TEST_F(IntroTest, LogoQuadCornersAndTextureCoordinates) {
  SetOrder(0);
  UseOrtho(kBox);
  const std::vector<Triangle> tris = CaptureTriangles([] { DrawIntro(); });
  ASSERT_EQ(tris.size(), 2u);
  struct Corner {
    float s, t;
    Vec3 position;
  };
  // t = 0 along the bottom edge.
  const Corner corners[4] = {{0, 0, {-1.1f, -0.9f, -2}},
                             {1, 0, {1.1f, -0.9f, -2}},
                             {1, 1, {1.1f, 0.9f, -2}},
                             {0, 1, {-1.1f, 0.9f, -2}}};
  for (const Corner& c : corners) {
    int found = 0;
    for (const Triangle& t : tris) {
      for (int k = 0; k < 3; ++k) {
        if (t.s[k] == c.s && t.t[k] == c.t) {
          EXPECT_TRUE(Near(t.v[k], c.position, 2e-3f));
          ++found;
        }
      }
    }
    EXPECT_GE(found, 1);
  }
}

TEST_F(IntroTest, TubesTurnAgainstEachOther) {
  SetOrder(2);
  tunnelSpin = 0.0f;
  tunnelInnerSpin = 0.0f;
  UseOrtho(kBox);
  auto firstOf = [](const std::vector<Triangle>& tris, float radius) {
    for (const Triangle& t : tris) {
      if (All(t, [radius](const Vec3& v) { return Near(Radius(v), radius, 1e-3f); })) {
        return t.v[0];
      }
    }
    return Vec3{0, 0, 0};
  };
  const std::vector<Triangle> a = CaptureTriangles([] { DrawIntro(); });
  const std::vector<Triangle> b = CaptureTriangles([] { DrawIntro(); });
  EXPECT_EQ(tunnelSpin, 0.6f);
  EXPECT_EQ(tunnelInnerSpin, -0.8f);
  const Vec3 outerA = firstOf(a, 0.5f), outerB = firstOf(b, 0.5f);
  const Vec3 innerA = firstOf(a, 0.4f), innerB = firstOf(b, 0.4f);
  const double degrees = 180.0 / M_PI;
  const double outerTurn =
      (std::atan2(outerB.y, outerB.x) - std::atan2(outerA.y, outerA.x)) * degrees;
  const double innerTurn =
      (std::atan2(innerB.y, innerB.x) - std::atan2(innerA.y, innerA.x)) * degrees;
  // The second frame is drawn 0.3 degrees further on (counter-clockwise) for the outer
  // tube and 0.4 degrees back for the inner one.
  EXPECT_NEAR(outerTurn, 0.3, 0.02);
  EXPECT_NEAR(innerTurn, -0.4, 0.02);
  // Both run from z = -10 to +10.
  float nearest = 0, farthest = 0;
  for (const Triangle& t : a) {
    if (!All(t, [](const Vec3& v) { return Near(Radius(v), 0.5f, 1e-3f); })) continue;
    for (const Vec3& v : t.v) {
      nearest = std::fmax(nearest, v.z);
      farthest = std::fmin(farthest, v.z);
    }
  }
  EXPECT_NEAR(nearest, 10.0f, 1e-3f);
  EXPECT_NEAR(farthest, -10.0f, 1e-3f);
}

// Layering with solid colours, through the show's own projection.
class IntroPixelTest : public IntroTest {
 protected:
  void SetUp() override {
    IntroTest::SetUp();
    UsePerspective();
    showTextures[kTexIntro] = SolidTexture(30, 10, 5);
    showTextures[kTexPart] = SolidTexture(0, 0, 0);  // particles add nothing
    showTextures[kTexPres] = SolidTexture(0, 100, 0);
    showTextures[kTexLumivex] = SolidTexture(0, 0, 100);
    showTextures[kTexTarnel] = SolidTexture(200, 50, 25);
  }
  HeadlessGL::Pixel Frame(int order, int x = 400, int y = 300) {
    SetOrder(order);
    DrawIntro();
    return Probe(x, y);
  }
};

void ExpectColour(const HeadlessGL::Pixel& p, int r, int g, int b) {
  EXPECT_NEAR(p.r, r, 2);
  EXPECT_NEAR(p.g, g, 2);
  EXPECT_NEAR(p.b, b, 2);
}

TEST_F(IntroPixelTest, ScenesLayerAsDesigned) {
  // The logo is opaque and fills all but a sliver at the left and right edges (2.2 units
  // wide at depth 2, where the view is 2.21 wide), which stays cleared.
  ExpectColour(Frame(0), 200, 50, 25);
  ExpectColour(Frame(0, 3, 300), 200, 50, 25);
  ExpectColour(Frame(0, 0, 300), 0, 0, 0);

  // The four spheres add up (4 x the texel), and the second panel adds onto them.
  ExpectColour(Frame(4), 120, 40, 20);
  ExpectColour(Frame(4, 10, 590), 120, 40, 20);
  ExpectColour(Frame(5), 120, 40, 120);

  // The tube wall seen from inside: the opaque outer tube plus the inner tube added.
  glLoadIdentity();
  int x = 0, y = 0;
  ASSERT_TRUE(ProjectToPixel({0.5f * 0.7071f, 0.5f * 0.7071f, -3.0f}, &x, &y));
  ExpectColour(Frame(2, x, y), 60, 20, 10);
  // In order 3 the first panel adds its picture over the tunnel.
  ExpectColour(Frame(3, x, y), 60, 120, 10);
}

TEST_F(IntroPixelTest, EveryFrameEndsOpaqueWithDepthTestAndNoLighting) {
  for (int order = 0; order <= 7; ++order) {
    introPhase = 1;
    SetOrder(order);
    DrawIntro();
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "order " << order;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "order " << order;
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << "order " << order;
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1) << "order " << order;
  }
}

}  // namespace
