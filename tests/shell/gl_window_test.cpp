// Window creation, its failure paths and the teardown order against the scripted
// platform; the window procedure; the projection read back from GL.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/gl_api.h"
#include "shell/gl_window.h"
#include "shell/main_loop.h"
#include "shell/show_state.h"
#include "tests/shell/shell_fixture.h"

namespace {

constexpr uint32_t kExclamationOk = kMbOk | kMbIconExclamation;
constexpr char kQuestion[] =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
    "Instead?";

class GlWindowTest : public ShellTest {
 protected:
  bool Create() { return CreateMainWindow("Lumivex by Tarnel", 800, 600, 16, 1); }
  // Index of the first recorded call starting with `prefix` at or after `from`; -1 if none.
  int Find(const std::string& prefix, int from = 0) {
    const auto& calls = fake::state.calls;
    for (int i = from; i < static_cast<int>(calls.size()); ++i) {
      if (calls[i].compare(0, prefix.size(), prefix) == 0) return i;
    }
    return -1;
  }
  // The recorded calls from `from` on match `expected` in order (others may come between).
  void ExpectInOrder(const std::vector<std::string>& expected, int from = 0) {
    int at = from;
    for (const std::string& call : expected) {
      const int found = Find(call, at);
      ASSERT_GE(found, 0) << call << " missing (or out of order) after call " << at;
      at = found + 1;
    }
  }
};

struct CreationFailure {
  const char* step;
  const char* message;
  bool windowMade;  // the window exists when the step fails
};

class CreationFailureTest : public GlWindowTest,
                            public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(CreationFailureTest, ShowsItsMessageTearsDownAndEndsTheProgramWithZero) {
  const CreationFailure& failure = GetParam();
  fake::state.failing.insert(failure.step);

  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);

  ASSERT_EQ(fake::state.boxes.size(), 1u);
  EXPECT_EQ(fake::state.boxes[0].text, failure.message);
  EXPECT_EQ(fake::state.boxes[0].caption, "ERROR");
  EXPECT_EQ(fake::state.boxes[0].type, kExclamationOk);
  EXPECT_EQ(fake::state.swaps, 0);
  EXPECT_FALSE(fake::state.windowExists);
  EXPECT_FALSE(fake::state.displayChanged);  // the desktop mode is back
  EXPECT_EQ(windowHandle, nullptr);
  EXPECT_EQ(deviceContext, nullptr);
  EXPECT_EQ(renderingContext, nullptr);
  EXPECT_EQ(fake::CountCalls("DestroyWindow"), failure.windowMade ? 1 : 0);
  if (std::string(failure.step) != "RegisterClass") {
    // From the window on, the teardown runs before the box, the music first.
    const int box = Find("MessageBox");
    EXPECT_GE(Find("RestoreDisplayMode"), 0);
    EXPECT_LT(Find("RestoreDisplayMode"), box);
    EXPECT_EQ(Find("ModuleDeviceFree"), Find("RestoreDisplayMode") - 2);
    if (failure.windowMade) {
      EXPECT_LT(Find("DestroyWindow"), box);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CreationFailureTest,
    ::testing::Values(
        CreationFailure{"RegisterClass", "Failed To Register The Window Class.", false},
        CreationFailure{"CreateWindow", "Window Creation Error.", false},
        CreationFailure{"GetDC", "Can't Create A GL Device Context.", true},
        CreationFailure{"ChoosePixelFormat", "Can't Find A Suitable PixelFormat.", true},
        CreationFailure{"SetPixelFormat", "Can't Set The PixelFormat.", true},
        CreationFailure{"CreateContext", "Can't Create A GL Rendering Context.", true},
        CreationFailure{"MakeCurrent", "Can't Activate The GL Rendering Context.", true}),
    [](const auto& info) { return std::string(info.param.step); });

TEST_F(GlWindowTest, RegisterFailureTouchesNothingElse) {
  fake::state.failing.insert("RegisterClass");
  EXPECT_FALSE(Create());
  EXPECT_EQ(fake::CountCalls("ChangeDisplayMode"), 0);
  EXPECT_EQ(fake::CountCalls("ModuleDeviceFree"), 0);
  EXPECT_EQ(fake::CountCalls("ShowCursor"), 0);
}

TEST_F(GlWindowTest, TeardownAfterAPartialCreationReleasesOnlyWhatExists) {
  fake::state.failing.insert("GetDC");
  EXPECT_FALSE(Create());
  EXPECT_EQ(fake::CountCalls("ReleaseCurrent"), 0);
  EXPECT_EQ(fake::CountCalls("DeleteContext"), 0);
  EXPECT_EQ(fake::CountCalls("ReleaseDC"), 0);
  EXPECT_EQ(fake::CountCalls("DestroyWindow"), 1);

  fake::Reset();
  ResetShowState();
  fake::state.failing.insert("MakeCurrent");
  EXPECT_FALSE(Create());
  ExpectInOrder({"ModuleDeviceFree", "ReleaseCurrent", "DeleteContext", "ReleaseDC",
                 "DestroyWindow", "MessageBox ERROR"});
  EXPECT_EQ(fake::state.boxes.size(), 1u);  // the teardown itself went well
}

TEST_F(GlWindowTest, RefusedModeAnsweredNoShowsTwoBoxesAndNoWindow) {
  fake::state.failing.insert("ChangeDisplayMode");
  fake::state.boxAnswers.push_back(kIdNo);

  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
  ASSERT_EQ(fake::state.boxes.size(), 2u);
  EXPECT_EQ(fake::state.boxes[0].text, kQuestion);
  EXPECT_EQ(fake::state.boxes[0].caption, "Ruvo GL");
  EXPECT_EQ(fake::state.boxes[0].type, kMbYesNo | kMbIconExclamation);
  EXPECT_EQ(fake::state.boxes[1].text, "Program Will Now Close.");
  EXPECT_EQ(fake::state.boxes[1].caption, "ERROR");
  EXPECT_EQ(fake::state.boxes[1].type, kMbOk | kMbIconStop);
  EXPECT_EQ(fake::CountCalls("CreateWindow"), 0);
  EXPECT_EQ(fake::CountCalls("ShowWindow"), 0);
}

TEST_F(GlWindowTest, RefusedModeAnsweredYesRunsInAnOverlappedWindow) {
  fake::state.failing.insert("ChangeDisplayMode");
  fake::state.boxAnswers.push_back(kIdYes);

  ASSERT_TRUE(Create());
  EXPECT_EQ(fullscreen, 0);
  EXPECT_EQ(fake::state.windowStyle, kWsOverlappedWindow | kWsClipSiblings | kWsClipChildren);
  EXPECT_EQ(fake::state.cursorCount, -1);  // hidden over the window
  ASSERT_FALSE(fake::state.boxes.empty());
  EXPECT_EQ(fake::state.boxes[0].caption, "Ruvo GL");
  for (size_t i = 1; i < fake::state.boxes.size(); ++i) {
    EXPECT_EQ(fake::state.boxes[i].caption, "Vorlen - ERROR");  // only the loading's reports
  }

  const int teardown = static_cast<int>(fake::state.calls.size());
  DestroyMainWindow();
  EXPECT_EQ(Find("RestoreDisplayMode", teardown), -1);  // no mode was changed
  EXPECT_EQ(fake::state.cursorCount, 0);
}

TEST_F(GlWindowTest, FullscreenRunUsesAPopupAndTearsDownInOrder) {
  ASSERT_TRUE(Create());
  EXPECT_EQ(fullscreen, 1);
  EXPECT_EQ(fake::state.windowStyle, kWsPopup | kWsClipSiblings | kWsClipChildren);
  EXPECT_EQ(fake::state.cursorCount, -2);
  EXPECT_TRUE(fake::state.displayChanged);
  ExpectInOrder({"RegisterClass OpenGL", "ChangeDisplayMode 800x600x16", "ShowCursor 0",
                 "CreateWindow", "GetDC", "ChoosePixelFormat 16/16", "SetPixelFormat 1",
                 "CreateContext", "MakeCurrent", "ShowWindow", "ModuleMusicLoad", "ShowCursor 0"});

  const int teardown = static_cast<int>(fake::state.calls.size());
  DestroyMainWindow();
  const std::vector<std::string> order(fake::state.calls.begin() + teardown,
                                       fake::state.calls.end());
  const std::vector<std::string> expected = {
      "ModuleDeviceFree", "ShowCursor 1",  "RestoreDisplayMode", "ShowCursor 1",
      "ReleaseCurrent",   "DeleteContext", "ReleaseDC",          "DestroyWindow"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(fake::state.cursorCount, 0);
  EXPECT_FALSE(fake::state.displayChanged);
}

TEST_F(GlWindowTest, TeardownFailuresAreShownAndSkipped) {
  ASSERT_TRUE(Create());
  const size_t boxesBefore = fake::state.boxes.size();
  for (const char* step : {"ReleaseCurrent", "DeleteContext", "ReleaseDC", "DestroyWindow"}) {
    fake::state.failing.insert(step);
  }
  DestroyMainWindow();

  const std::vector<std::string> expected = {
      "Release Of DC And RC Failed.", "Release Rendering Context Failed.",
      "Release Device Context Failed.", "Could Not Release hWnd."};
  ASSERT_EQ(fake::state.boxes.size(), boxesBefore + expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const fake::Box& box = fake::state.boxes[boxesBefore + i];
    EXPECT_EQ(box.text, expected[i]);
    EXPECT_EQ(box.caption, "SHUTDOWN ERROR");
    EXPECT_EQ(box.type, kMbOk | kMbIconInformation);
  }
  EXPECT_EQ(renderingContext, nullptr);
  EXPECT_EQ(windowHandle, nullptr);
}

TEST_F(GlWindowTest, ActivateFollowsOnlyTheMinimisedState) {
  MainWindowProc(nullptr, kWmActivate, kWaInactive | (1u << 16), 0);
  EXPECT_EQ(active, 0);
  MainWindowProc(nullptr, kWmActivate, kWaActive, 0);
  EXPECT_EQ(active, 1);
  MainWindowProc(nullptr, kWmActivate, kWaInactive, 0);  // focus lost, not minimised
  EXPECT_EQ(active, 1);
  EXPECT_EQ(fake::CountCalls("DefWindowProc"), 0);
}

TEST_F(GlWindowTest, SystemCommandsSwallowScreenSaverAndMonitorPowerExactly) {
  EXPECT_EQ(MainWindowProc(nullptr, kWmSysCommand, kScScreenSave, 0), 0);
  EXPECT_EQ(MainWindowProc(nullptr, kWmSysCommand, kScMonitorPower, 0), 0);
  EXPECT_EQ(fake::CountCalls("DefWindowProc"), 0);
  // The low four bits are part of the comparison: these go to the default handling.
  MainWindowProc(nullptr, kWmSysCommand, kScScreenSave | 2, 0);
  MainWindowProc(nullptr, kWmSysCommand, kScMonitorPower | 1, 0);
  MainWindowProc(nullptr, kWmSysCommand, 0xF020, 0);  // minimise
  EXPECT_EQ(fake::CountCalls("DefWindowProc 274"), 3);
}

TEST_F(GlWindowTest, CloseQueuesQuitZeroAndKeysSetAndClearTheirFlags) {
  EXPECT_EQ(MainWindowProc(nullptr, kWmClose, 0, 0), 0);
  ASSERT_EQ(fake::state.queue.size(), 1u);
  EXPECT_EQ(fake::state.queue.front().message, kWmQuit);
  EXPECT_EQ(fake::state.queue.front().wParam, 0u);

  MainWindowProc(nullptr, kWmKeyDown, kVkLeft, 0);
  MainWindowProc(nullptr, kWmKeyDown, kVkLeft, 1 << 30);  // auto-repeat
  EXPECT_EQ(keys[kVkLeft], 1);
  MainWindowProc(nullptr, kWmKeyUp, kVkLeft, 0);
  EXPECT_EQ(keys[kVkLeft], 0);
  // System keys (Alt held) never reach the table.
  MainWindowProc(nullptr, kWmSysKeyDown, kVk1, 0);
  EXPECT_EQ(keys[kVk1], 0);
  // A code past the table is ignored rather than written past it.
  MainWindowProc(nullptr, kWmKeyDown, 256 + kVk2, 0);
  EXPECT_EQ(keys[kVk2], 0);
}

// The GL context of the scripted platform, current, with a known viewport.
class ProjectionTest : public GlWindowTest {
 protected:
  void SetUp() override {
    GlWindowTest::SetUp();
    ASSERT_TRUE(Create());
    ASSERT_TRUE(fake::state.gl && fake::state.gl->ok());
  }
  void TearDown() override {
    DestroyMainWindow();
    GlWindowTest::TearDown();
  }
  static std::vector<int> Viewport() {
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    return {v[0], v[1], v[2], v[3]};
  }
  static void ExpectPerspective(double aspect) {
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double nearPlane = 0.10000000149011612, farPlane = 1000000.0;
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(m[0], f / aspect, 1e-5 * f / aspect);
    EXPECT_NEAR(m[5], f, 1e-6);
    EXPECT_NEAR(m[10], (farPlane + nearPlane) / (nearPlane - farPlane), 1e-6);
    EXPECT_NEAR(m[14], 2 * farPlane * nearPlane / (nearPlane - farPlane), 1e-6);
    EXPECT_EQ(m[11], -1.0f);
    EXPECT_EQ(m[15], 0.0f);
  }
};

TEST_F(ProjectionTest, CreationSetsTheViewForTheRequestedSize) {
  ResizeView(800, 600);  // start-up loading may have drawn; set the view again
  EXPECT_EQ(Viewport(), (std::vector<int>{0, 0, 800, 600}));
  ExpectPerspective(800.0 / 600.0);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(ProjectionTest, SizeMessagesResizeTheViewAndHeightZeroCountsAsOne) {
  MainWindowProc(windowHandle, kWmSize, 0, (200 << 16) | 300);
  EXPECT_EQ(Viewport(), (std::vector<int>{0, 0, 300, 200}));
  ExpectPerspective(1.5);

  MainWindowProc(windowHandle, kWmSize, 0, 640);  // 640 x 0
  EXPECT_EQ(Viewport(), (std::vector<int>{0, 0, 640, 1}));
  ExpectPerspective(640.0);

  // The modelview matrix is reset too.
  glTranslatef(1.0f, 2.0f, 3.0f);
  ResizeView(800, 600);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], 0.0f);
}

TEST_F(ProjectionTest, ASizeMessageWithoutACurrentContextLeavesGlAlone) {
  DestroyMainWindow();
  fake::state.gl->MakeCurrent();  // the test's own view of the same GL context
  glViewport(0, 0, 123, 45);
  MainWindowProc(nullptr, kWmSize, 0, (200 << 16) | 300);
  EXPECT_EQ(Viewport(), (std::vector<int>{0, 0, 123, 45}));
  ASSERT_TRUE(Create());  // for TearDown
}

}  // namespace
