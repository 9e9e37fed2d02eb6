// The viewer's camera, input and frame: the scene's display list under a perspective that
// frames its bounding sphere, lights from the file or the toolkit's default light, and a
// status line in the texture font.
#include "tools/viewer/viewer_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "show/render_state.h"
#include "toolkit/bmp_texture.h"
#include "toolkit/font.h"
#include "toolkit/lights.h"

namespace {

constexpr double kFieldOfView = 45.0;  // degrees, vertical
constexpr float kDegreesPerPixel = 0.5f;
constexpr float kWheelStep = 0.85f;  // zoom factor per notch towards the model
constexpr float kKeyTurn = 90.0f;    // degrees a second
constexpr double kPi = 3.14159265358979323846;

// lParam of a mouse message: signed 16-bit x and y.
int PointX(intptr_t lParam) {
  return static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFFu);
}
int PointY(intptr_t lParam) {
  return static_cast<int16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFFu);
}

void ClampCamera(ViewerCamera* camera) {
  camera->pitch = std::clamp(camera->pitch, -89.0f, 89.0f);
  camera->yaw = std::fmod(camera->yaw, 360.0f);
  camera->zoom = std::clamp(camera->zoom, kMinZoom, kMaxZoom);
}

// The fixed-function light colours of the viewer's material: white, so textures show in
// their own colours; the ambient term keeps faces turned from the light visible.
void SetViewerMaterial() {
  const GLfloat ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat shininess[1] = {0.0f};
  const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  SetMaterial(ambient, diffuse, specular, shininess, emission);
}

// The black band behind line 0 of the 640 x 480 virtual screen, opaque so the additive
// glyphs read the same over any model.
void DrawStatusBand() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  TexturingOff();
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  glBegin(GL_QUADS);
  glVertex2i(0, 462);
  glVertex2i(640, 462);
  glVertex2i(640, 480);
  glVertex2i(0, 480);
  glEnd();
  TexturingOn();
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace

float FramingDistance(float radius, int width, int height) {
  const double half = kFieldOfView * 0.5 * kPi / 180.0;
  double fit = std::tan(half);  // vertical half-extent at distance 1
  if (width < height && height > 0) fit *= static_cast<double>(width) / height;
  // The sphere touches the sides when sin(angle to its edge) = radius / distance.
  const double angle = std::atan(fit);
  // A margin of 15 % keeps the model clear of the status band at the top.
  return static_cast<float>(radius / std::sin(angle) * 1.15);
}

bool CameraHandleMessage(ViewerCamera* camera, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) {
  switch (message) {
    case kWmLButtonDown:
      camera->dragging = true;
      camera->lastX = PointX(lParam);
      camera->lastY = PointY(lParam);
      return true;
    case kWmLButtonUp:
      camera->dragging = false;
      return true;
    case kWmMouseMove: {
      const int x = PointX(lParam), y = PointY(lParam);
      // A release outside the window never arrives: the button state decides.
      if (camera->dragging && (wParam & kMkLButton)) {
        camera->yaw += kDegreesPerPixel * static_cast<float>(x - camera->lastX);
        camera->pitch += kDegreesPerPixel * static_cast<float>(y - camera->lastY);
        ClampCamera(camera);
      } else {
        camera->dragging = false;
      }
      camera->lastX = x;
      camera->lastY = y;
      return true;
    }
    case kWmMouseWheel: {
      const int turn = static_cast<int16_t>((wParam >> 16) & 0xFFFFu);
      camera->zoom *= std::pow(kWheelStep, static_cast<float>(turn) / kWheelDelta);
      ClampCamera(camera);
      return true;
    }
    default:
      return false;
  }
}

void CameraFollowKeys(ViewerCamera* camera, const uint8_t keys[256], double seconds) {
  const float s = static_cast<float>(seconds);
  if (keys[kVkLeft]) camera->yaw -= kKeyTurn * s;
  if (keys[kVkRight]) camera->yaw += kKeyTurn * s;
  if (keys[kVkUp]) camera->zoom *= std::pow(0.5f, s);
  if (keys[kVkDown]) camera->zoom *= std::pow(2.0f, s);
  ClampCamera(camera);
}

void SetUpViewerGL() {
  glClearColor(0.12f, 0.13f, 0.16f, 1.0f);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  TexturingOn();
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  AdditiveBlendFunc();  // the font's glyphs add onto the band
  const GLfloat ambient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

bool SetUpViewerFont(const std::string& bmpFile) {
  if (!LoadBitmapTexture(bmpFile.c_str(), &fontTexture)) return false;
  BuildFontLists();
  return true;
}

std::string ViewerStatusText(const ViewerModel& model, double fps) {
  char figures[120];
  char rate[24];
  if (fps >= 0) {
    std::snprintf(rate, sizeof rate, "%.1f fps", fps);
  } else {
    std::snprintf(rate, sizeof rate, "-- fps");
  }
  std::snprintf(figures, sizeof figures, "  %d object%s  %d triangle%s  %d material%s  %s",
                model.objects, model.objects == 1 ? "" : "s", model.triangles,
                model.triangles == 1 ? "" : "s", model.materials, model.materials == 1 ? "" : "s",
                rate);
  const size_t room = static_cast<size_t>(kTextLineBytes - 1);
  std::string name = model.name;
  const size_t length = std::char_traits<char>::length(figures);
  if (name.size() + length > room) {
    const size_t keep = room > length + 3 ? room - length - 3 : 0;
    name = "..." + name.substr(name.size() - std::min(keep, name.size()));
  }
  return (name + figures).substr(0, room);
}

void DrawViewerFrame(const ViewerModel& model, const ViewerCamera& camera, int width, int height,
                     const std::string& status, bool fontReady) {
  glViewport(0, 0, std::max(width, 0), std::max(height, 0));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (width <= 0 || height <= 0) return;  // a minimised window has nothing to frame

  const float distance = FramingDistance(model.radius, width, height) * camera.zoom;
  // Near and far hug the bounding sphere, which keeps a 16-bit depth buffer precise.
  const double nearPlane = std::max(static_cast<double>(distance - 1.05f * model.radius),
                                    0.01 * static_cast<double>(distance));
  const double farPlane = static_cast<double>(distance + 1.05f * model.radius);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, static_cast<double>(width) / height, nearPlane, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  // With no lights of its own the model gets the toolkit's white light, placed in eye
  // space (the modelview is the identity here), so it lights the model from the upper
  // right whichever way the model is turned.
  if (model.scene.lightsOn != 1) {
    SetupDefaultLight(GL_LIGHT0);
    LightingOn();
  }
  SetViewerMaterial();
  glTranslatef(0.0f, 0.0f, -distance);
  glRotatef(camera.pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(camera.yaw, 0.0f, 1.0f, 0.0f);
  glTranslatef(-model.center[0], -model.center[1], -model.center[2]);
  // The model format has no normals and the scene is drawn with the current one: it is
  // chosen to face the viewer after the turn, so lighting stays even as the model turns.
  const double yaw = camera.yaw * kPi / 180.0, pitch = camera.pitch * kPi / 180.0;
  glNormal3d(-std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch));
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (model.list) glCallList(model.list);
  LightingOff();

  if (fontReady) {
    DrawStatusBand();
    PrintLine(status.c_str(), 0);
  }
}
