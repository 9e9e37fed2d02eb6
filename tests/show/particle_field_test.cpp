// The particle field: its seeded build, the three draw styles and the unbuilt report.
#include "show/particle_field.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gl_api.h"
#include "show/next_random.h"
#include "tests/show/show_gl.h"
#include "tests/support/fake_platform.h"

using namespace showtest;

namespace {

// A field that gives its array back when the test ends.
struct Field : Draw_Particle {
  ~Field() { delete[] particles; }
};

class ParticleFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGL());
    ResetShowAndGL();
    UseOrtho(60.0f);
  }
};

// The draws of a fresh generator, to find where a given value falls.
std::vector<int> FreshDraws(size_t n) {
  ResetRandom();
  std::vector<int> draws(n);
  for (int& d : draws) d = NextRandom();
  ResetRandom();
  return draws;
}

// The sprite centres a draw sends, in eye space, one per particle.
std::vector<Vec3> SpriteCentres(const std::function<void()>& draw) {
  std::vector<Vec3> centres;
  const std::vector<Triangle> triangles = CaptureTriangles(draw);
  // Each sprite is one quad, split into two triangles; its centre lies midway along the
  // diagonal that the (0, 0) and (1, 1) corners span.
  for (size_t i = 0; i + 1 < triangles.size(); i += 2) {
    Vec3 low{}, high{};
    for (size_t k = i; k < i + 2; ++k) {
      for (int c = 0; c < 3; ++c) {
        if (triangles[k].s[c] == 0.0f && triangles[k].t[c] == 0.0f) low = triangles[k].v[c];
        if (triangles[k].s[c] == 1.0f && triangles[k].t[c] == 1.0f) high = triangles[k].v[c];
      }
    }
    centres.push_back({(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2});
  }
  return centres;
}

TEST_F(ParticleFieldTest, ScatteredBuildFollowsTheRandomSequence) {
  Field field;
  Build(&field, 40, 1);
  ASSERT_NE(field.particles, nullptr);
  ASSERT_EQ(field.count, 40u);

  const Particle& first = field.particles[0];
  EXPECT_EQ(first.red, 41);
  EXPECT_EQ(first.green, 35);
  EXPECT_EQ(first.blue, 190);
  EXPECT_EQ(first.speed, 0.7421875f);
  EXPECT_EQ(first.x, 19169.0f / 25100.0f);
  EXPECT_EQ(first.y, 11478.0f / 25100.0f);
  EXPECT_EQ(first.z, 0.0f);

  const Particle& second = field.particles[1];
  EXPECT_EQ(second.red, 174);
  EXPECT_EQ(second.green, 82);
  EXPECT_EQ(second.blue, 144);
  EXPECT_NEAR(second.x, -1.12131f, 1e-5f);

  const float radii[40] = {40, 40, 20, 13, 10, 8, 6, 5, 5, 4, 4, 3, 3, 3, 2, 2, 2, 2, 2, 2,
                           2,  1,  1,  1,  1,  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  for (uint32_t i = 0; i < 40; ++i) {
    const Particle& p = field.particles[i];
    EXPECT_EQ(p.orbitRadius, radii[i]) << "particle " << i;
    EXPECT_EQ(p.orbitAngle, 2.0f) << "particle " << i;
    EXPECT_EQ(p.speed, p.blue / 256.0f) << "particle " << i;
    EXPECT_GE(p.red, 0);
    EXPECT_LE(p.red, 255);
    EXPECT_LE(std::fabs(p.x), 32767.0f / 25100.0f);
    EXPECT_LE(std::fabs(p.y), 32767.0f / 25100.0f);
    // Unset by the seeding itself; the burst reads them before its first respawn.
    EXPECT_EQ(p.velocityX, 0.0f);
    EXPECT_EQ(p.velocityY, 0.0f);
    EXPECT_EQ(p.age, 0.0f);
  }
  // Seven draws per scattered particle: the next draw is the 281st of the sequence.
  const int next = NextRandom();
  EXPECT_EQ(next, FreshDraws(281)[280]);
  EXPECT_NE(particleQuadList, 0u);
  EXPECT_TRUE(glIsList(particleQuadList));
}

TEST_F(ParticleFieldTest, UnscatteredBuildKeepsEveryParticleAtTheOriginWithThreeDraws) {
  Field field;
  Build(&field, 5, 0);
  const std::vector<int> draws = FreshDraws(16);
  for (uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(field.particles[i].x, 0.0f);
    EXPECT_EQ(field.particles[i].y, 0.0f);
    EXPECT_EQ(field.particles[i].red, draws[3 * i] % 256);
    EXPECT_EQ(field.particles[i].blue, draws[3 * i + 2] % 256);
  }
  ResetRandom();
  Field other;
  Build(&other, 5, 2);  // only 1 scatters
  EXPECT_EQ(other.particles[4].x, 0.0f);
  EXPECT_EQ(NextRandom(), draws[15]);
}

// A second build replaces the first array (given back, not leaked) and its list.
TEST_F(ParticleFieldTest, RebuildReplacesTheField) {
  Field field;
  Build(&field, 40, 1);
  const uint32_t firstList = particleQuadList;
  Build(&field, 3, 0);
  ASSERT_NE(field.particles, nullptr);
  EXPECT_EQ(field.count, 3u);
  EXPECT_EQ(field.particles[0].orbitRadius, 3.0f);
  EXPECT_EQ(field.particles[2].x, 0.0f);
  EXPECT_NE(particleQuadList, firstList);
  EXPECT_EQ(SpriteCentres([&] { DrawStream(&field, -40.0f, 0); }).size(), 3u);
}

// An array that cannot be had leaves the field unbuilt; drawing it then reports instead
// of reading through a null array.
TEST_F(ParticleFieldTest, FailedAllocationLeavesTheFieldUnbuilt) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer aborts on the oversized request instead of failing it";
#else
  Field field;
  Build(&field, 0xFFFFFFFFu, 1);  // 48 bytes each: about 206 GB
  EXPECT_EQ(field.particles, nullptr);
  EXPECT_EQ(field.count, 0u);
  DrawStream(&field, -40.0f, 0);
  EXPECT_EQ(fake::state.boxes.size(), 1u);
  Draw_Particle* none = nullptr;
  DrawOrbit(none, -40.0f, 0.0f);
  EXPECT_EQ(fake::state.boxes.size(), 2u);
#endif
}

// The sign test passes for draws above half of 25100: 12550 gives exactly 0.5 and a
// negative coordinate, 12551 a positive one. Both values occur at sign positions of a
// long scattered build (draws 3 and 5 of each particle's seven).
TEST_F(ParticleFieldTest, SignThresholdLiesBetween12550And12551) {
  constexpr size_t kDraws = 7 * 60000;
  const std::vector<int> draws = FreshDraws(kDraws);
  for (int signValue : {12550, 12551}) {
    size_t at = 0;
    while (at < kDraws && !(draws[at] == signValue && (at % 7 == 3 || at % 7 == 5))) ++at;
    ASSERT_LT(at, kDraws) << signValue << " never falls on a sign draw";
    const uint32_t index = static_cast<uint32_t>(at / 7);
    ResetRandom();
    Field field;
    Build(&field, index + 1, 1);
    const Particle& p = field.particles[index];
    const float coordinate = at % 7 == 3 ? p.x : p.y;
    const float magnitude = static_cast<float>(draws[at + 1]) / 25100.0f;
    if (signValue == 12550) {
      EXPECT_EQ(coordinate, -magnitude);
      EXPECT_TRUE(std::signbit(coordinate));
    } else {
      EXPECT_EQ(coordinate, magnitude);
      EXPECT_FALSE(std::signbit(coordinate));
    }
  }
}

TEST_F(ParticleFieldTest, StreamFliesTowardsTheViewerAndRestartsPastTheLimit) {
  Field field;
  Build(&field, 3, 1);
  field.particles[0].speed = 0.0f;  // a blue of 0
  field.particles[1].speed = 1.0f;
  field.particles[1].z = 40.5f;  // past the limit of 40: restarts before its step
  field.particles[2].speed = 0.5f;
  field.particles[2].z = 40.0f;  // at the limit, not past it: one more step

  const std::vector<Vec3> centres = SpriteCentres([&] { DrawStream(&field, -40.0f, 0); });
  ASSERT_EQ(centres.size(), 3u);
  EXPECT_EQ(field.particles[0].z, 0.0f);
  EXPECT_EQ(field.particles[1].z, 1.0f);
  EXPECT_EQ(field.particles[2].z, 40.5f);
  // Drawn at depth + z, at the particle's own x and y.
  EXPECT_TRUE(Near(centres[0], {field.particles[0].x, field.particles[0].y, -40.0f}, 1e-3f));
  EXPECT_TRUE(Near(centres[1], {field.particles[1].x, field.particles[1].y, -39.0f}, 1e-3f));
  EXPECT_TRUE(Near(centres[2], {field.particles[2].x, field.particles[2].y, 0.5f}, 1e-3f));

  // A speed of 0 never leaves the start depth; the others stay between 0 and limit + speed.
  for (int i = 0; i < 200; ++i) {
    DrawStream(&field, -40.0f, 0);
    ASSERT_EQ(field.particles[0].z, 0.0f);
    ASSERT_GT(field.particles[2].z, 0.0f);
    ASSERT_LE(field.particles[2].z, 40.5f);
  }
}

TEST_F(ParticleFieldTest, StreamWithAPositiveDepthRestartsEveryParticleEveryDraw) {
  Field field;
  Build(&field, 40, 1);
  for (int draw = 0; draw < 3; ++draw) DrawStream(&field, 5.0f, 0);
  for (uint32_t i = 0; i < 40; ++i) EXPECT_EQ(field.particles[i].z, field.particles[i].speed);
  const std::vector<Vec3> centres = SpriteCentres([&] { DrawStream(&field, 5.0f, 0); });
  ASSERT_EQ(centres.size(), 40u);
  for (uint32_t i = 0; i < 40; ++i) {
    EXPECT_NEAR(centres[i].z, 5.0f + field.particles[i].speed, 1e-3f);
  }
}

TEST_F(ParticleFieldTest, OrbitTurnsParticleIByIOverCountAndLeavesParticleZeroStill) {
  Field field;
  Build(&field, 8, 0);
  for (int draw = 0; draw < 10; ++draw) DrawOrbit(&field, -20.0f, 30.0f);
  EXPECT_EQ(field.particles[0].orbitAngle, 2.0f);
  for (uint32_t i = 1; i < 8; ++i) {
    float expected = 2.0f;
    for (int draw = 0; draw < 10; ++draw) expected += static_cast<float>(i) / 8.0f;
    EXPECT_EQ(field.particles[i].orbitAngle, expected) << "particle " << i;
  }
  // Particle 0 sits on the tilted circle at radius 8 + speed, angle 2 degrees.
  const std::vector<Vec3> centres = SpriteCentres([&] { DrawOrbit(&field, -20.0f, 30.0f); });
  ASSERT_EQ(centres.size(), 8u);
  // Turned by the angle about y, then tilted about x: (r cos a, r sin a sin t, -r sin a cos t).
  const double r = field.particles[0].orbitRadius + field.particles[0].speed;
  const double a = 2.0 * M_PI / 180.0, tilt = 30.0 * M_PI / 180.0;
  EXPECT_NEAR(centres[0].x, r * std::cos(a), 1e-3);
  EXPECT_NEAR(centres[0].y, r * std::sin(a) * std::sin(tilt), 1e-3);
  EXPECT_NEAR(centres[0].z, -20.0 - r * std::sin(a) * std::cos(tilt), 1e-3);
}

TEST_F(ParticleFieldTest, BurstRespawnsEverySixteenthDrawWithSixDraws) {
  Field field;
  Build(&field, 2, 1);
  const float startX = field.particles[0].x;
  // Velocities start at 0: the particles wait where they were built until respawned.
  for (int draw = 1; draw <= 16; ++draw) {
    DrawBurst(&field, -10.0f, 0);
    EXPECT_EQ(field.particles[0].age, static_cast<float>(draw));
    EXPECT_EQ(field.particles[0].x, startX);
  }
  // The 17th draw respawns both particles: six draws each, x moved by half a step.
  std::vector<int> expected(12);
  {
    const std::vector<int> draws = FreshDraws(14 + 12 + 1);
    for (int i = 0; i < 12; ++i) expected[i] = draws[14 + i];
    for (int i = 0; i < 14; ++i) NextRandom();
  }
  DrawBurst(&field, -10.0f, 0);
  const float vx = (static_cast<float>(expected[0]) / 25100.0f > 0.5f ? 1.0f : -1.0f) *
                   (static_cast<float>(expected[1]) / 45100.0f);
  EXPECT_EQ(field.particles[0].velocityX, vx);
  EXPECT_EQ(field.particles[0].x, vx / 2.0f);
  EXPECT_EQ(field.particles[0].z, 0.0f);
  EXPECT_EQ(field.particles[0].age, 1.0f);
  EXPECT_LE(std::fabs(field.particles[0].speed), 32767.0f / 45100.0f);
  // Fifteen more draws respawn nothing; the sixteenth does again.
  const float afterRespawn = field.particles[1].velocityY;
  for (int draw = 0; draw < 15; ++draw) DrawBurst(&field, -10.0f, 0);
  EXPECT_EQ(field.particles[1].age, 16.0f);
  EXPECT_EQ(field.particles[1].velocityY, afterRespawn);
  DrawBurst(&field, -10.0f, 0);
  EXPECT_EQ(field.particles[1].age, 1.0f);
  EXPECT_EQ(field.particles[0].z, 0.0f);
}

TEST_F(ParticleFieldTest, OnlyColouredOneSetsTheColour) {
  Field field;
  Build(&field, 3, 1);
  GLfloat colour[4];
  for (int coloured : {0, 2, -1}) {
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    DrawStream(&field, -40.0f, coloured);
    DrawBurst(&field, -40.0f, coloured);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.25f) << "coloured " << coloured;
    EXPECT_FLOAT_EQ(colour[2], 0.75f) << "coloured " << coloured;
  }
  for (int style = 0; style < 2; ++style) {
    glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
    if (style == 0) DrawStream(&field, -40.0f, 1);
    if (style == 1) DrawBurst(&field, -40.0f, 1);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    const Particle& last = field.particles[2];
    EXPECT_FLOAT_EQ(colour[0], last.red / 255.0f);
    EXPECT_FLOAT_EQ(colour[1], last.green / 255.0f);
    EXPECT_FLOAT_EQ(colour[2], last.blue / 255.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

TEST_F(ParticleFieldTest, UnbuiltFieldReportsOncePerDrawAndRestoresTheState) {
  Draw_Particle field;
  DrawStream(&field, -40.0f, 0);
  DrawOrbit(&field, -40.0f, 10.0f);
  DrawBurst(&field, -40.0f, 1);
  ASSERT_EQ(fake::state.boxes.size(), 3u);
  for (const fake::Box& box : fake::state.boxes) {
    EXPECT_EQ(box.text, "Draw_Particle ->  Particle not ready   [0]\n");
    EXPECT_EQ(box.caption, "Vorlen - ERROR");
  }
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  // Nothing drawn.
  EXPECT_TRUE(CaptureTriangles([&] { DrawStream(&field, -40.0f, 0); }).empty());
}

TEST_F(ParticleFieldTest, DrawsEndWithBlendingOffAndDepthTestOn) {
  Field field;
  Build(&field, 4, 1);
  for (int style = 0; style < 3; ++style) {
    if (style == 0) DrawStream(&field, -40.0f, 0);
    if (style == 1) DrawOrbit(&field, -40.0f, 10.0f);
    if (style == 2) DrawBurst(&field, -40.0f, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "style " << style;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "style " << style;
  }
  EXPECT_TRUE(fake::state.boxes.empty());
}

}  // namespace
