// The gallery room: its geometry in drawing order, the picture sets, the viewer's limits
// and the layering of stars, walls and pictures.
#include "show/gallery.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/gl_api.h"
#include "resources/startup.h"
#include "tests/show/show_gl.h"
#include "tests/support/fake_platform.h"

using namespace showtest;

namespace {

constexpr float kBox = 10.0f;  // holds both star spheres (radius 5.5, centre 1.5 out)

struct Quad {
  Vec3 c[4];
};

const Quad kWalls[8] = {
    {{{-1, -1, -3}, {1, -1, -3}, {1, 1, -3}, {-1, 1, -3}}},
    {{{1, -1, -3}, {2.5f, -1, -2}, {2.5f, 1, -2}, {1, 1, -3}}},
    {{{2.5f, -1, -2}, {2.5f, -1, 0}, {2.5f, 1, 0}, {2.5f, 1, -2}}},
    {{{2.5f, -1, 0}, {1, -1, 2}, {1, 1, 2}, {2.5f, 1, 0}}},
    {{{1, -1, 2}, {-1, -1, 2}, {-1, 1, 2}, {1, 1, 2}}},
    {{{-2.5f, -1, -1}, {-1, -1, -3}, {-1, 1, -3}, {-2.5f, 1, -1}}},
    {{{-2.5f, -1, 1}, {-2.5f, -1, -1}, {-2.5f, 1, -1}, {-2.5f, 1, 1}}},
    {{{-1, -1, 2}, {-2.5f, -1, 1}, {-2.5f, 1, 1}, {-1, 1, 2}}},
};
const Quad kBackPicture = {{{-0.5f, -0.5f, -2.999f},
                            {0.5f, -0.5f, -2.999f},
                            {0.5f, 0.5f, -2.999f},
                            {-0.5f, 0.5f, -2.999f}}};
// The seven pictures with their translations already applied.
const Quad kPictures[7] = {
    {{{1.25f, -0.5f, -3.0f}, {2.25f, -0.5f, -2.3f}, {2.25f, 0.5f, -2.3f}, {1.25f, 0.5f, -3.0f}}},
    {{{2.499f, -0.5f, -1.5f},
      {2.499f, -0.5f, -0.5f},
      {2.499f, 0.5f, -0.5f},
      {2.499f, 0.5f, -1.5f}}},
    {{{-2.499f, -0.5f, 0.499f},
      {-2.499f, -0.5f, -0.499f},
      {-2.499f, 0.5f, -0.499f},
      {-2.499f, 0.5f, 0.499f}}},
    {{{-1.25f, -0.5f, 2.0f}, {-2.25f, -0.5f, 1.3f}, {-2.25f, 0.5f, 1.3f}, {-1.25f, 0.5f, 2.0f}}},
    {{{0.5f, -0.5f, 1.99f}, {-0.5f, -0.5f, 1.99f}, {-0.5f, 0.5f, 1.99f}, {0.5f, 0.5f, 1.99f}}},
    {{{2.0f, -0.5f, 0.8f}, {1.25f, -0.5f, 1.8f}, {1.25f, 0.5f, 1.8f}, {2.0f, 0.5f, 0.8f}}},
    {{{-2.0f, -0.5f, -1.7f}, {-1.25f, -0.5f, -2.7f}, {-1.25f, 0.5f, -2.7f}, {-2.0f, 0.5f, -1.7f}}},
};

// Checks that triangles [at, at + 2) are `quad`, each corner with its texture coordinate:
// (0, 0), (1, 0), (1, 1), (0, 1) for corners 1 to 4.
void ExpectQuad(const std::vector<Triangle>& tris, size_t at, const Quad& quad,
                const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_LE(at + 2, tris.size());
  const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int corner = 0; corner < 4; ++corner) {
    int seen = 0;
    for (size_t k = at; k < at + 2; ++k) {
      for (int v = 0; v < 3; ++v) {
        if (tris[k].s[v] == st[corner][0] && tris[k].t[v] == st[corner][1]) {
          ++seen;
          EXPECT_TRUE(Near(tris[k].v[v], quad.c[corner], 2e-4f))
              << "corner " << corner + 1 << " at (" << tris[k].v[v].x << ", " << tris[k].v[v].y
              << ", " << tris[k].v[v].z << ")";
        }
      }
    }
    EXPECT_GE(seen, 1) << "corner " << corner + 1 << " missing";
  }
}

class GalleryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureGL());
    ResetShowAndGL();
    FillTextures(255, 255, 255);
  }
  std::vector<Triangle> Capture() {
    UseOrtho(kBox);
    return CaptureTriangles([] { EXPECT_EQ(DrawGallery(), 1); });
  }
};

TEST_F(GalleryTest, RoomWallsAndPicturesInDrawingOrder) {
  for (int set : {1, 2}) {
    gallerySet = set;
    const std::vector<Triangle> tris = Capture();
    // Walls, back picture and seven pictures close the frame: 16 quads, 32 triangles.
    ASSERT_GT(tris.size(), 32u);
    const size_t walls = tris.size() - 32;
    for (int w = 0; w < 8; ++w)
      ExpectQuad(tris, walls + 2 * w, kWalls[w], "wall " + std::to_string(w + 1));
    ExpectQuad(tris, walls + 16, kBackPicture, "back picture");
    for (int p = 0; p < 7; ++p) {
      ExpectQuad(tris, walls + 18 + 2 * p, kPictures[p],
                 "set " + std::to_string(set) + " picture " + std::to_string(p + 1));
    }
  }
}

TEST_F(GalleryTest, SetsOtherThanOneAndTwoHangOnlyTheBackPicture) {
  gallerySet = 1;
  const size_t withSet = Capture().size();
  for (int set : {3, 0, -1}) {
    gallerySet = set;
    const std::vector<Triangle> tris = Capture();
    EXPECT_EQ(tris.size(), withSet - 14) << "set " << set;
    ExpectQuad(tris, tris.size() - 2, kBackPicture, "back picture");
    ExpectQuad(tris, tris.size() - 4, kWalls[7], "last wall");
  }
}

// Both sets hang the same places with different pictures.
TEST_F(GalleryTest, SetsBindTheirOwnPictures) {
  for (int slot = 0; slot < kTextureCount; ++slot) showTextures[slot] = 0;
  std::vector<uint32_t> made;
  for (int slot = 0; slot < kTextureCount; ++slot) {
    const uint8_t level = static_cast<uint8_t>(10 * slot + 10);
    showTextures[slot] = SolidTexture(level, level, level);
    made.push_back(showTextures[slot]);
  }
  UsePerspective();
  const TextureSlot set1[7] = {kTexKavra2,   kTexKavra,    kTexDolmane1, kTexPertaxa1,
                               kTexPertaxa2, kTexPertaxa3, kTexKavra4};
  const TextureSlot set2[7] = {kTexDolmane2, kTexPertaxa4, kTexPertaxa5, kTexDolmane3,
                               kTexDolmane4, kTexKavra5,   kTexKavra3};
  // Face each picture from the room's centre and probe its middle.
  for (int set : {1, 2}) {
    for (int p = 0; p < 7; ++p) {
      const Quad& q = kPictures[p];
      const Vec3 middle = {(q.c[0].x + q.c[2].x) / 2, 0.0f, (q.c[0].z + q.c[2].z) / 2};
      gallerySet = set;
      viewZ = 0.0f;
      viewYaw = static_cast<float>(std::atan2(middle.x, -middle.z) * 180.0 / M_PI);
      const float yaw = viewYaw;
      DrawGallery();
      glLoadIdentity();
      glRotatef(yaw, 0, 1, 0);
      int x = 0, y = 0;
      ASSERT_TRUE(ProjectToPixel(middle, &x, &y));
      const TextureSlot slot = set == 1 ? set1[p] : set2[p];
      EXPECT_NEAR(Probe(x, y).r, 10 * slot + 10, 1)
          << "set " << set << " picture " << p + 1 << " at " << x << ", " << y;
    }
  }
  for (uint32_t name : made) glDeleteTextures(1, &name);
}

// Up and Down as the main loop applies them: one step after each drawn frame.
TEST_F(GalleryTest, ViewerStopsAtTheLimitsAfterDrawingTheCrossingFrame) {
  auto drawnZ = [this] {
    // The back picture's depth moves with the viewer.
    const std::vector<Triangle> tris = Capture();
    return tris[tris.size() - 16].v[0].z + 2.999f;
  };
  float expected = 0.0f;
  for (int step = 0; step < 15; ++step) {
    EXPECT_NEAR(drawnZ(), viewZ, 2e-4f);
    EXPECT_EQ(viewZ, expected) << "step " << step;
    viewZ += 0.1f;
    expected += 0.1f;
  }
  EXPECT_EQ(viewZ, 1.5000002f);
  EXPECT_NEAR(drawnZ(), 1.5000002f, 2e-4f);
  EXPECT_EQ(viewZ, 1.499f);
  for (int held = 0; held < 5; ++held) {
    viewZ += 0.1f;
    EXPECT_NEAR(drawnZ(), 1.599f, 2e-4f);
    EXPECT_EQ(viewZ, 1.499f);
  }
  // Up released: drawn at the stop itself, which is inside the limit.
  EXPECT_NEAR(drawnZ(), 1.499f, 2e-4f);
  EXPECT_EQ(viewZ, 1.499f);

  viewZ = 0.0f;
  for (int step = 0; step < 18; ++step) {
    Capture();
    viewZ -= 0.1f;
  }
  EXPECT_EQ(viewZ, -1.8000003f);
  EXPECT_NEAR(drawnZ(), -1.8000003f, 2e-4f);
  EXPECT_EQ(viewZ, -1.799f);
  viewZ -= 0.1f;
  EXPECT_NEAR(drawnZ(), -1.899f, 2e-4f);
  EXPECT_EQ(viewZ, -1.799f);

  // The limits themselves are clamped.
  viewZ = 1.5f;
  Capture();
  EXPECT_EQ(viewZ, 1.499f);
  viewZ = -1.8f;
  Capture();
  EXPECT_EQ(viewZ, -1.799f);
}

TEST_F(GalleryTest, YawIsNeverWrappedAndTurnsTheRoomAboutItsOrigin) {
  viewYaw = 90.0f;
  std::vector<Triangle> tris = Capture();
  EXPECT_EQ(viewYaw, 90.0f);
  // Turned by +90 degrees about y, the back picture's lower-left corner (-0.5, -0.5,
  // -2.999) goes to (-2.999, -0.5, 0.5): the right wall comes in front of the viewer.
  ExpectQuad(tris, tris.size() - 16,
             {{{-2.999f, -0.5f, 0.5f},
               {-2.999f, -0.5f, -0.5f},
               {-2.999f, 0.5f, -0.5f},
               {-2.999f, 0.5f, 0.5f}}},
             "turned back picture");
  viewYaw = 360.0f * 5 + 90.0f;
  tris = Capture();
  EXPECT_EQ(viewYaw, 1890.0f);
  EXPECT_NEAR(tris[tris.size() - 16].v[0].x, -2.999f, 1e-3f);
  viewYaw = -720.0f;
  Capture();
  EXPECT_EQ(viewYaw, -720.0f);
}

TEST_F(GalleryTest, StarsTurnByAStepPerFrame) {
  for (int frame = 0; frame < 4; ++frame) DrawGallery();
  float expected = 0.0f;
  for (int frame = 0; frame < 4; ++frame) expected += 0.05f;
  EXPECT_EQ(starSpin, expected);
}

class GalleryPixelTest : public GalleryTest {
 protected:
  void SetUp() override {
    GalleryTest::SetUp();
    UsePerspective();
    showTextures[kTexStars] = SolidTexture(30, 0, 0);
    showTextures[kTexMur] = SolidTexture(0, 50, 0);
    showTextures[kTexCred] = SolidTexture(0, 0, 200);
    showTextures[kTexKavra] = SolidTexture(90, 90, 90);
  }
};

void ExpectColour(const HeadlessGL::Pixel& p, int r, int g, int b, const char* what) {
  EXPECT_NEAR(p.r, r, 2) << what;
  EXPECT_NEAR(p.g, g, 2) << what;
  EXPECT_NEAR(p.b, b, 2) << what;
}

TEST_F(GalleryPixelTest, StarsWallsAndPicturesLayerAsDesigned) {
  gallerySet = 3;
  DrawGallery();
  // Above the back wall only the stars: the second sphere adds onto the first.
  ExpectColour(Probe(400, 595), 60, 0, 0, "stars");
  // Between the back picture and the wall's top edge: the wall adds onto the stars.
  int x = 0, y = 0;
  glLoadIdentity();
  ASSERT_TRUE(ProjectToPixel({0.0f, 0.8f, -3.0f}, &x, &y));
  ExpectColour(Probe(x, y), 60, 50, 0, "wall over stars");
  // The back picture is opaque over both.
  ExpectColour(Probe(400, 300), 0, 0, 200, "back picture");

  // Facing the right wall, set 1's picture there is opaque too.
  gallerySet = 1;
  viewYaw = 90.0f;
  DrawGallery();
  glLoadIdentity();
  glRotatef(90.0f, 0, 1, 0);
  ASSERT_TRUE(ProjectToPixel({2.499f, 0.0f, -1.0f}, &x, &y));
  ExpectColour(Probe(x, y), 90, 90, 90, "right picture");
  ASSERT_TRUE(ProjectToPixel({2.5f, 0.8f, -1.0f}, &x, &y));
  ExpectColour(Probe(x, y), 60, 50, 0, "right wall");
}

TEST_F(GalleryPixelTest, EveryFrameEndsOpaqueWithDepthTestAndNoLighting) {
  for (int set : {1, 2, 3}) {
    gallerySet = set;
    EXPECT_EQ(DrawGallery(), 1);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "set " << set;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "set " << set;
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << "set " << set;
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
  }
  EXPECT_TRUE(fake::state.boxes.empty());
}

}  // namespace
