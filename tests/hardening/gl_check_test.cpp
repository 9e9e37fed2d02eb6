// The per-frame GL error check against a real GL (Mesa through EGL). Built here with the
// check switched on whatever the build type, so it is tested in release suites too.
#include "shell/gl_check.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/gl_api.h"
#include "tests/support/gl_fixture.h"

namespace {

class GLCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok()) << gl_.error();
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  HeadlessGL gl_;
};

TEST_F(GLCheck, ACleanFrameReportsNothing) {
  const unsigned long before = GLErrorTotal();
  glClear(GL_COLOR_BUFFER_BIT);
  glPushMatrix();
  glPopMatrix();
  testing::internal::CaptureStderr();
  EXPECT_EQ(GLCheckFrame("clean frame"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(GLErrorTotal(), before);
}

// Mesa keeps the first error until it is read (GL allows one flag per kind), so each
// kind is raised and checked on its own.
TEST_F(GLCheck, EachErrorIsNamedWithItsPlaceAndTheFlagIsCleared) {
  struct Case {
    void (*raise)();
    const char* line;
  };
  const Case cases[] = {
      {[] { glEnable(0x1234); }, "lumivex: GL error 0x0500 (GL_INVALID_ENUM) in gallery\n"},
      {[] { glLineWidth(-1.0f); }, "lumivex: GL error 0x0501 (GL_INVALID_VALUE) in gallery\n"},
      {[] {
         glMatrixMode(GL_MODELVIEW);
         glPopMatrix();  // at depth 1
       },
       "lumivex: GL error 0x0504 (GL_STACK_UNDERFLOW) in gallery\n"},
      {[] {
         glBegin(GL_QUADS);
         glBindTexture(GL_TEXTURE_2D, 0);  // not allowed between begin and end
         glEnd();
       },
       "lumivex: GL error 0x0502 (GL_INVALID_OPERATION) in gallery\n"},
  };
  unsigned long total = GLErrorTotal();
  for (const Case& c : cases) {
    c.raise();
    c.raise();  // the same error twice before a check: one report
    testing::internal::CaptureStderr();
    const int found = GLCheckFrame("gallery");
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_GE(found, 1) << c.line;
    EXPECT_EQ(text.rfind(c.line, 0), 0u) << text;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the check drains the flags";
    total += static_cast<unsigned long>(found);
    EXPECT_EQ(GLErrorTotal(), total);
  }
  // The next frame starts clean, and a missing place name is still a readable line.
  glEnable(0x1234);
  testing::internal::CaptureStderr();
  EXPECT_EQ(GLCheckFrame(nullptr), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "lumivex: GL error 0x0500 (GL_INVALID_ENUM) in a frame\n");
  EXPECT_EQ(GLCheckFrame("clean"), 0);
}

}  // namespace
