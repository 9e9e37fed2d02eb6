// GL feedback capture: a whole capture reads back every vertex in window coordinates;
// one that overflows its buffer fails the test that made it instead of looking empty.
#include "tests/support/gl_fixture.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/gl_api.h"

namespace {

class FeedbackCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok()) << gl_.error();
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  static void Triangle() {
    glBegin(GL_TRIANGLES);
    glTexCoord2f(0.25f, 0.75f);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
  }
  HeadlessGL gl_;
};

TEST_F(FeedbackCapture, ReadsEveryPrimitiveInOrderWithWindowCoordinates) {
  const std::vector<FeedbackPrimitive> sent = CaptureFeedback([] {
    glPassThrough(7.0f);
    Triangle();
  });
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].kind, FeedbackPrimitive::kPassThrough);
  ASSERT_EQ(sent[1].kind, FeedbackPrimitive::kPolygon);
  ASSERT_EQ(sent[1].vertices.size(), 3u);
  EXPECT_FLOAT_EQ(sent[1].vertices[0].x, 0.0f);
  EXPECT_FLOAT_EQ(sent[1].vertices[1].x, 800.0f);
  EXPECT_FLOAT_EQ(sent[1].vertices[2].y, 600.0f);
  EXPECT_FLOAT_EQ(sent[1].vertices[2].s, 0.25f);
  EXPECT_FLOAT_EQ(sent[1].vertices[2].t, 0.75f);
}

TEST_F(FeedbackCapture, AnOverflowFailsTheTestLoudly) {
  // A triangle needs 2 + 3 * 11 floats; 20 cannot hold it.
  EXPECT_NONFATAL_FAILURE(CaptureFeedback(Triangle, 20), "overflowed its buffer of 20 floats");
}

}  // namespace
