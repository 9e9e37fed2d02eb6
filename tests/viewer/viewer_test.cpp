// The viewer's parts that need no picture: the command line, the camera under mouse
// messages and keys, framing, and the status line's text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/viewer/viewer_options.h"
#include "tools/viewer/viewer_view.h"

namespace {

TEST(ViewerOptionsTest, AFileAShotAndASizeAreTakenAndEverythingElseRefused) {
  ViewerOptions options;
  std::string error;
  ASSERT_TRUE(ParseViewerOptions({"bunny.obj"}, &options, &error));
  EXPECT_EQ(options.file, "bunny.obj");
  EXPECT_TRUE(options.shot.empty());
  EXPECT_EQ(options.width, 800);
  EXPECT_EQ(options.height, 600);
  ASSERT_TRUE(
      ParseViewerOptions({"--size", "1280x720", "m.model", "--shot", "a.png"}, &options, &error));
  EXPECT_EQ(options.file, "m.model");
  EXPECT_EQ(options.shot, "a.png");
  EXPECT_EQ(options.width, 1280);
  EXPECT_EQ(options.height, 720);
  EXPECT_FALSE(options.wireframe || options.headlight || options.toolkitDraw);
  ASSERT_TRUE(ParseViewerOptions({"m.obj", "--wireframe", "--headlight", "--toolkit-draw"},
                                 &options, &error));
  EXPECT_TRUE(options.wireframe && options.headlight && options.toolkitDraw);

  const struct {
    std::vector<std::string> args;
    const char* message;
  } bad[] = {
      {{}, "no model file"},
      {{"a.obj", "b.obj"}, "one model file only (a.obj, b.obj)"},
      {{"a.obj", "--shot"}, "--shot needs a file name"},
      {{"a.obj", "--size", "800"}, "bad size 800 (WxH, each side 16 to 8192)"},
      {{"a.obj", "--size", "8x600"}, "bad size 8x600 (WxH, each side 16 to 8192)"},
      {{"a.obj", "--size", "800x-6"}, "bad size 800x-6 (WxH, each side 16 to 8192)"},
      {{"a.obj", "--size", "99999x600"}, "bad size 99999x600 (WxH, each side 16 to 8192)"},
      {{"a.obj", "--fast"}, "unknown option --fast"},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(ParseViewerOptions(b.args, &options, &error));
    EXPECT_EQ(error, b.message);
  }
}

intptr_t Point(int x, int y) {
  return static_cast<intptr_t>(static_cast<int32_t>((static_cast<uint32_t>(x) & 0xFFFFu) |
                                                    (static_cast<uint32_t>(y) << 16)));
}

TEST(ViewerCameraTest, DragTurnsTheWheelComesCloserAndKeysFollowTime) {
  ViewerCamera camera;
  const float yaw = camera.yaw, pitch = camera.pitch;
  // Moving without the button turns nothing.
  EXPECT_TRUE(CameraHandleMessage(&camera, kWmMouseMove, 0, Point(100, 100)));
  EXPECT_EQ(camera.yaw, yaw);
  EXPECT_TRUE(CameraHandleMessage(&camera, kWmLButtonDown, kMkLButton, Point(100, 100)));
  // Negative coordinates (left of the window while dragging) come through signed.
  EXPECT_TRUE(CameraHandleMessage(&camera, kWmMouseMove, kMkLButton, Point(-20, 110)));
  EXPECT_FLOAT_EQ(camera.yaw, yaw - 60.0f);
  EXPECT_FLOAT_EQ(camera.pitch, pitch + 5.0f);
  // The button came up outside the window: the next move says so and turns nothing.
  CameraHandleMessage(&camera, kWmMouseMove, 0, Point(300, 300));
  EXPECT_FALSE(camera.dragging);
  EXPECT_FLOAT_EQ(camera.yaw, yaw - 60.0f);
  // Pitch stops short of looking straight down.
  CameraHandleMessage(&camera, kWmLButtonDown, kMkLButton, Point(0, 0));
  CameraHandleMessage(&camera, kWmMouseMove, kMkLButton, Point(0, 30000));
  EXPECT_FLOAT_EQ(camera.pitch, 89.0f);
  CameraHandleMessage(&camera, kWmLButtonUp, 0, Point(0, 30000));

  // Two notches towards the model, one back: one notch closer in all.
  const auto wheel = [](int notches) {
    return static_cast<uintptr_t>(static_cast<uint32_t>(notches * kWheelDelta) & 0xFFFFu) << 16;
  };
  CameraHandleMessage(&camera, kWmMouseWheel, wheel(2), 0);
  CameraHandleMessage(&camera, kWmMouseWheel, wheel(-1), 0);
  EXPECT_NEAR(camera.zoom, 0.85f, 1e-5f);
  for (int i = 0; i < 100; ++i) CameraHandleMessage(&camera, kWmMouseWheel, wheel(3), 0);
  EXPECT_FLOAT_EQ(camera.zoom, kMinZoom);
  EXPECT_FALSE(CameraHandleMessage(&camera, kWmKeyDown, kVkLeft, 0));

  uint8_t keys[256] = {};
  ViewerCamera keyed;
  keys[kVkRight] = 1;
  keys[kVkDown] = 1;
  CameraFollowKeys(&keyed, keys, 0.5);
  EXPECT_FLOAT_EQ(keyed.yaw, ViewerCamera().yaw + 45.0f);
  EXPECT_NEAR(keyed.zoom, std::sqrt(2.0f), 1e-5f);
}

TEST(ViewerFramingTest, TheNarrowerSideDecidesAndDistanceScalesWithSize) {
  const float wide = FramingDistance(1.0f, 800, 600);
  // A sphere of radius r at distance d fills asin(r/d) of the 22.5-degree half view.
  EXPECT_NEAR(std::asin(1.0f / wide) * 180.0f / 3.14159265f, 22.5f / 1.15f, 0.3f);
  EXPECT_FLOAT_EQ(FramingDistance(1000.0f, 800, 600), 1000.0f * wide);
  EXPECT_GT(FramingDistance(1.0f, 300, 600), wide * 1.5f);  // tall window: width decides
}

TEST(ViewerStatusTest, TheLineHoldsTheFiguresAndShortensALongNameToFit) {
  ViewerModel model;
  model.name = "bunny.obj";
  model.objects = 2;
  model.triangles = 69451;
  model.materials = 1;
  EXPECT_EQ(ViewerStatusText(model, 58.25),
            "bunny.obj  2 objects  69451 triangles  1 material  58.2 fps");
  EXPECT_EQ(ViewerStatusText(model, -1),
            "bunny.obj  2 objects  69451 triangles  1 material  -- fps");
  model.name = std::string(100, 'n') + "_end.obj";
  const std::string line = ViewerStatusText(model, 9.5);
  EXPECT_EQ(line.size(), 79u);
  EXPECT_EQ(line.substr(0, 3), "...");
  EXPECT_NE(line.find("n_end.obj  2 objects  69451 triangles  1 material  9.5 fps"),
            std::string::npos);
}

}  // namespace
