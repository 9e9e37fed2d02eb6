// Model scene drawing against headless GL: the lights it switches on, the textures it
// binds, placement, the compiled list against direct drawing, and the two helpers.
#include "toolkit/model_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "show/next_random.h"
#include "tests/support/gl_fixture.h"

namespace {

// A scene built in memory: one entry of material numbers per object, each face a triangle
// over the centre of the view.
using Materials = std::vector<std::vector<int>>;

struct TestScene {
  ModelScene scene{};
  std::vector<std::vector<ModelFace>> faces;

  explicit TestScene(const Materials& materials) {
    scene.lastObject = static_cast<uint32_t>(materials.size() - 1);
    scene.objects = new ModelObject[materials.size()]();
    faces.resize(materials.size());
    for (size_t k = 0; k < materials.size(); ++k) {
      faces[k].resize(materials[k].size() + 1);
      for (size_t s = 1; s <= materials[k].size(); ++s) {
        ModelFace& f = faces[k][s];
        f.corners[0] = {-3, -3, 0, 0, 0};
        f.corners[1] = {3, -3, 0, 1, 0};
        f.corners[2] = {0, 3, 0, 0.5f, 1};
        f.material = materials[k][s - 1];
      }
      scene.objects[k] = {static_cast<int32_t>(k),
                          faces[k].data(),
                          static_cast<uint32_t>(materials[k].size()),
                          {0, 0, 0}};
    }
  }
  ~TestScene() { delete[] scene.objects; }
};

class ModelDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok()) << gl_.error();
    gl_.MakeCurrent();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4, 4, -3, 3, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    // Textures 0..2: solid red, green, blue.
    glGenTextures(3, textures_);
    const uint8_t colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 3; ++i) {
      uint8_t texels[4 * 4 * 3];
      for (int t = 0; t < 16; ++t) std::memcpy(&texels[t * 3], colours[i], 3);
      glBindTexture(GL_TEXTURE_2D, textures_[i]);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glTexImage2D(GL_TEXTURE_2D, 0, 3, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  std::vector<uint8_t> Frame(const std::function<void()>& draw) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    return gl_.ReadFrameTopDown();
  }

  HeadlessGL gl_;
  GLuint textures_[3] = {};
};

TEST_F(ModelDrawTest, ThreeLightsEnableExactlyTheirGLLights) {
  TestScene t(Materials{{0}});
  t.scene.lightsOn = 1;
  t.scene.lastLight = 2;
  t.scene.lights[0] = {1, 2, 3, 0.5f, 0.25f, 0.125f};
  t.scene.lights[1] = {4, 5, 6, 1, 0, 0};
  t.scene.lights[2] = {-7, 8, -9, 0, 1, 0};
  t.scene.lights[3] = {9, 9, 9, 1, 1, 1};  // beyond lastLight
  DrawModelScene(&t.scene, textures_);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const ModelLight& l = t.scene.lights[i];
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0 + i));
    GLfloat diffuse[4], position[4];
    glGetLightfv(GL_LIGHT0 + i, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT0 + i, GL_POSITION, position);  // eye coordinates: identity here
    const GLfloat wantDiffuse[4] = {l.r, l.g, l.b, 1}, wantPosition[4] = {l.x, l.y, l.z, 1};
    for (int c = 0; c < 4; ++c) {
      EXPECT_FLOAT_EQ(diffuse[c], wantDiffuse[c]);
      EXPECT_FLOAT_EQ(position[c], wantPosition[c]);
    }
  }
  EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
  GLfloat untouched[4];
  glGetLightfv(GL_LIGHT3, GL_DIFFUSE, untouched);
  EXPECT_FLOAT_EQ(untouched[0], 0);  // GL's default for lights other than 0
}

TEST_F(ModelDrawTest, SceneWithoutLightsMakesNoLightingCall) {
  const GLfloat marker[4] = {0.3f, 0.2f, 0.1f, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, marker);
  TestScene t(Materials{{0}});
  t.scene.lightsOn = 0;
  t.scene.lastLight = 5;
  t.scene.lights[0] = {1, 1, 1, 1, 1, 1};
  DrawModelScene(&t.scene, textures_);
  DrawModelSceneUntextured(&t.scene);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  GLfloat diffuse[4];
  glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  EXPECT_FLOAT_EQ(diffuse[0], 0.3f);
}

TEST_F(ModelDrawTest, EachFaceBindsTheTextureOfItsMaterial) {
  TestScene t(Materials{{2}});
  const std::vector<uint8_t> frame = Frame([&] { DrawModelScene(&t.scene, textures_); });
  const uint8_t* centre = &frame[(300 * 800 + 400) * 3];
  EXPECT_EQ(centre[0], 0);
  EXPECT_EQ(centre[1], 0);
  EXPECT_EQ(centre[2], 255);
  GLint bound;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), textures_[2]);

  // Untextured drawing uses whatever is bound: green here.
  glBindTexture(GL_TEXTURE_2D, textures_[1]);
  const std::vector<uint8_t> plain = Frame([&] { DrawModelSceneUntextured(&t.scene); });
  EXPECT_EQ(plain[(300 * 800 + 400) * 3 + 1], 255);
  EXPECT_EQ(plain[(300 * 800 + 400) * 3 + 2], 0);
}

TEST_F(ModelDrawTest, ObjectsAreDrawnAtTheirPlacementAndBalanceTheMatrixStack) {
  TestScene t(Materials{{0}, {}, {1}});
  t.scene.objects[0].position[0] = 10;  // off screen
  t.scene.objects[2].position[1] = 1;
  GLint depthBefore, depthAfter;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
  const auto primitives = CaptureFeedback([&] { DrawModelScene(&t.scene, textures_); });
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
  EXPECT_EQ(depthAfter, depthBefore);
  // Object 0 lies beyond the right edge and object 1 has no faces: what remains is object
  // 2, moved up by 1 unit. Its apex at y = 4 is clipped at the top edge (which may split it
  // in two); its lower corners at y = -2 land 100 pixels above the bottom.
  ASSERT_FALSE(primitives.empty());
  float lowest = 1e9f;
  for (const FeedbackPrimitive& primitive : primitives) {
    for (const FeedbackVertex& v : primitive.vertices) {
      lowest = std::min(lowest, v.y);
      EXPECT_LE(v.x, 700.0f);  // object 2 spans x -3..3: 100..700 pixels
    }
  }
  EXPECT_FLOAT_EQ(lowest, 100);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_FLOAT_EQ(m[13], 0);
}

TEST_F(ModelDrawTest, CompiledListDrawsTheSamePicture) {
  TestScene t(Materials{{1, 2}, {0}});
  t.faces[0][1].corners[2] = {0, 0, 0, 0.5f, 1};  // the second face (entry 1) smaller
  t.scene.objects[1].position[0] = -2;
  t.scene.lightsOn = 1;
  t.scene.lastLight = 0;
  t.scene.lights[0] = {0, 0, 5, 1, 0.5f, 0.5f};
  glNormal3f(0, 0, 1);
  const std::vector<uint8_t> direct = Frame([&] { DrawModelScene(&t.scene, textures_); });
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  GLuint list = 0;
  CompileModelScene(&t.scene, textures_, &list);
  EXPECT_NE(list, 0u);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));  // compiling does not execute
  t.scene.objects[1].position[0] = 3;      // changes after compiling do not reach the list
  const std::vector<uint8_t> replayed = Frame([&] { glCallList(list); });
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(direct, replayed);
  size_t lit = 0;
  for (uint8_t b : direct) lit += b != 0;
  EXPECT_GT(lit, 10000u);  // the picture is not empty
  glDeleteLists(list, 1);
}

TEST_F(ModelDrawTest, ReleasedSceneDrawsNothing) {
  ModelScene scene{};
  FreeModelScene(&scene);
  EXPECT_TRUE(CaptureFeedback([&] { DrawModelScene(&scene, textures_); }).empty());
}

TEST(ModelHelpersTest, MoveViewerFollowsTheHeading) {
  ModelScene scene{};
  scene.viewPosition[0] = 1;
  scene.viewPosition[1] = 2;
  scene.viewPosition[2] = 3;
  viewHeading = 0;
  MoveViewer(&scene, 2);
  EXPECT_FLOAT_EQ(scene.viewPosition[0], 3);
  EXPECT_FLOAT_EQ(scene.viewPosition[1], 2);
  EXPECT_FLOAT_EQ(scene.viewPosition[2], 3);
  viewHeading = static_cast<float>(M_PI / 2);
  MoveViewer(&scene, 2);
  EXPECT_NEAR(scene.viewPosition[0], 3, 1e-6);
  EXPECT_FLOAT_EQ(scene.viewPosition[2], 1);
  viewHeading = 0;
}

TEST(ModelHelpersTest, RandomFloatStaysBelowItsRange) {
  ResetRandom();
  EXPECT_FLOAT_EQ(RandomFloat(10), 41 / 32768.0f * 10);  // the generator's first draw is 41
  float highest = 0;
  for (int i = 0; i < 70000; ++i) {  // more than the generator's 32768 values
    const float r = RandomFloat(10);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 10);
    highest = std::max(highest, r);
  }
  EXPECT_GT(highest, 9.99f);
  ResetRandom();
}

}  // namespace
