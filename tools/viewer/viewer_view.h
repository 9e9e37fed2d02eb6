// What the viewer draws and how the user moves it: the camera around the model, the
// window messages and held keys that turn it, and one frame with its status lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/viewer/viewer_model.h"

struct ViewerCamera {
  float yaw = -30.0f;   // degrees about the vertical axis
  float pitch = 20.0f;  // degrees, looking down on the model while positive
  float zoom = 1.0f;    // distance as a multiple of the framing distance
  bool dragging = false;
  int lastX = 0, lastY = 0;
};

constexpr float kMinZoom = 0.05f;
constexpr float kMaxZoom = 20.0f;

// Distance from the centre at which a sphere of `radius` just fits a 45-degree view of
// width x height (the narrower side decides).
float FramingDistance(float radius, int width, int height);

// Mouse messages: a left-button drag turns (half a degree a pixel), the wheel comes closer
// (each notch by 15 %). False for messages the camera does not take.
bool CameraHandleMessage(ViewerCamera* camera, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Held arrow keys over `seconds`: Left/Right turn 90 degrees a second, Up/Down halve or
// double the distance in a second.
void CameraFollowKeys(ViewerCamera* camera, const uint8_t keys[256], double seconds);

// How a frame is drawn; the keys W and H switch these in the window.
struct ViewerDisplay {
  bool wireframe = false;  // the triangles' edges over the shading
  bool headlight = false;  // one white light from the eye instead of the model's lights
};

// The GL state the viewer draws in; once after the context is made.
void SetUpViewerGL();
// Loads the glyph picture and builds the font's lists; false when it cannot be read (the
// status line is then left out).
bool SetUpViewerFont(const std::string& bmpFile);

// "NAME  N objects  N triangles  N materials  F fps", cut to the status line's 79
// characters by shortening the name. fps < 0 prints "-- fps".
std::string ViewerStatusText(const ViewerModel& model, double fps);

// The keys the window takes, for the status line under the figures.
const char* ViewerKeysText();

// One frame at width x height: the model, lit and framed, turned by the camera, and the
// status lines (line 0 at the top, then down) on a black band (when `fontReady`).
void DrawViewerFrame(const ViewerModel& model, const ViewerCamera& camera,
                     const ViewerDisplay& display, int width, int height,
                     const std::vector<std::string>& status, bool fontReady);
