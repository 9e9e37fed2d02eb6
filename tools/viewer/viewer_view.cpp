// The viewer's camera, input and frame: the model's vertex arrays (or the toolkit's compiled
// scene) under a perspective that frames its bounding sphere, lights from the file, the
// toolkit's default light or a headlight, and status lines in the texture font.
#include "tools/viewer/viewer_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "show/render_state.h"
#include "toolkit/bmp_texture.h"
#include "toolkit/font.h"
#include "toolkit/lights.h"
#include "tools/viewer/mesh_arrays.h"

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

// The toolkit's path draws every face white under the current normal: the light colours
// of its material, with the ambient term keeping faces turned from the light visible.
void SetToolkitPathMaterial() {
  const GLfloat ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat shininess[1] = {0.0f};
  const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  SetMaterial(ambient, diffuse, specular, shininess, emission);
}

// A material of the model: its colours (ambient as diffuse, so the light model's ambient
// shows the colour in the shadows), or plain white with a soft highlight. A picture whose
// material gives no diffuse colour shows as it is (white under it, not MTL's grey). Both
// sides get it: faces seen from behind are lit as their back (two-sided lighting).
void SetModelMaterial(const ObjMaterial& m, bool textured) {
  GLfloat diffuse[4] = {m.diffuse[0], m.diffuse[1], m.diffuse[2], m.alpha};
  if (textured && !m.diffuseGiven) diffuse[0] = diffuse[1] = diffuse[2] = 1.0f;
  GLfloat specular[4] = {m.specular[0], m.specular[1], m.specular[2], 1.0f};
  // MTL counts shininess up to 1000, GL up to 128.
  GLfloat shininess[1] = {std::min(m.shininess * 0.128f, 128.0f)};
  if (!m.defined) {
    specular[0] = specular[1] = specular[2] = 0.2f;
    shininess[0] = 24.0f;
  }
  const GLfloat emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
  glColor4fv(diffuse);  // what an unlit material shows
}

void SetLightModelAmbient(GLfloat level) {
  const GLfloat ambient[4] = {level, level, level, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

// The lights, before the model's turn for those that follow the eye: a headlight from the
// eye, else (for a model without lights of its own) a light from the eye a little weaker
// than the headlight with the toolkit's default light from the upper right of the view,
// at under half its strength, for the shape: a face turned to the eye is lit at least as
// the headlight lights it, whichever way the model is turned. A model file's own lights
// are placed after the turn (FileLights).
void EyeLights(const ViewerModel& model, const ViewerDisplay& display) {
  for (int i = 1; i < kModelMaxLights; ++i) glDisable(GL_LIGHT0 + i);
  const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat fromEye[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  if (display.headlight) {
    SetupLight(GL_LIGHT0, black, white, white, fromEye);
  } else if (model.lightCount == 0) {
    // 0.95 from the eye and 0.3 x cos(54.7 degrees) = 0.17 from the key light make more
    // than the headlight's 1 on a face turned to the eye; a face turned 35 degrees from
    // the eye, away from the key, still gets 0.2 + 0.95 x 0.81 = 0.97 with the ambient,
    // as the headlight's saturates there. The ambient is lower than the headlight's, so the
    // faces the key light misses keep their shape.
    const GLfloat eye[4] = {0.95f, 0.95f, 0.95f, 1.0f};
    const GLfloat key[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    SetLightModelAmbient(0.2f);
    SetupLight(GL_LIGHT0, black, eye, eye, fromEye);
    SetupDefaultLight(GL_LIGHT1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, key);
    glLightfv(GL_LIGHT1, GL_SPECULAR, key);
  }
  LightingOn();
}

// A model file's point lights, in the model's own space (as the toolkit places them).
void FileLights(const ViewerModel& model, const ViewerDisplay& display) {
  if (display.headlight) return;
  const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  for (int i = 0; i < model.lightCount; ++i) {
    const ModelLight& l = model.lights[i];
    const GLfloat colour[4] = {l.r, l.g, l.b, 1.0f};
    const GLfloat position[4] = {l.x, l.y, l.z, 1.0f};
    SetupLight(GL_LIGHT0 + i, black, colour, colour, position);
  }
}

// One material's triangles with its picture, sides, alpha and lighting.
void DrawMaterialRange(const ViewerModel& model, const MaterialRange& range,
                       const ObjMaterial& material) {
  const MaterialTexture texture = static_cast<size_t>(range.material) < model.textures.size()
                                      ? model.textures[range.material]
                                      : MaterialTexture();
  SetModelMaterial(material, texture.name != 0);
  if (texture.name) {
    TexturingOn();
    glBindTexture(GL_TEXTURE_2D, texture.name);
  } else {
    TexturingOff();
  }
  if (material.doubleSided) {
    glDisable(GL_CULL_FACE);
  } else {
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
  }
  if (material.unlit) {
    LightingOff();
  } else {
    LightingOn();
  }
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glDisable(GL_ALPHA_TEST);
  if (material.alphaMode == AlphaMode::kMask) {
    glAlphaFunc(GL_GEQUAL, material.alphaCutoff);
    glEnable(GL_ALPHA_TEST);
  } else if (material.alphaMode == AlphaMode::kBlend) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
  } else if (texture.translucent) {
    // Leaves and fences in OBJ files: see-through texels are left out, not blended in any
    // order.
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_ALPHA_TEST);
  }
  DrawMeshRange(model.mesh, model.arrays, range);
}

// The model from its arrays, one draw a material; with `wireframe` the edges follow in
// light blue lines, half see-through so they show on dark faces and dense meshes keep their
// shading; the shaded triangles are pushed back a little so the lines win the depth test.
void DrawModelArrays(const ViewerModel& model, const ViewerDisplay& display) {
  BindMeshArrays(model.mesh, model.arrays);
  if (display.wireframe) {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
  }
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  if (model.mesh.colored) {
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
  }
  // Opaque and masked materials first, then the blended ones over them, not writing depth.
  for (const bool blendPass : {false, true}) {
    for (const MaterialRange& range : model.mesh.ranges) {
      const ObjMaterial& material = model.materialList[range.material];
      if ((material.alphaMode == AlphaMode::kBlend) != blendPass) continue;
      DrawMaterialRange(model, range, material);
    }
  }
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  AdditiveBlendFunc();  // the font's, as SetUpViewerGL left it
  glDepthMask(GL_TRUE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  LightingOn();
  if (display.wireframe) {
    glDisable(GL_POLYGON_OFFSET_FILL);
    LightingOff();
    TexturingOff();
    glColor4f(0.3f, 0.85f, 1.0f, 0.35f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    for (const MaterialRange& range : model.mesh.ranges) {
      DrawMeshRange(model.mesh, model.arrays, range);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_BLEND);
    AdditiveBlendFunc();  // the font's, as SetUpViewerGL left it
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  }
  UnbindMeshArrays(model.arrays);
  TexturingOn();
}

// The black band behind lines 0 to lines - 1 of the 640 x 480 virtual screen, opaque so
// the additive glyphs read the same over any model.
void DrawStatusBand(int lines) {
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
  const int bottom = 480 - 16 * lines - 2;
  glVertex2i(0, bottom);
  glVertex2i(640, bottom);
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

const char* ViewerKeysText() {
  return "W wireframe  H headlight  R reset  S save PNG  Esc quit";
}

void DrawViewerFrame(const ViewerModel& model, const ViewerCamera& camera,
                     const ViewerDisplay& display, int width, int height,
                     const std::vector<std::string>& status, bool fontReady) {
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

  if (model.toolkitDraw) {
    // The toolkit's own path, as the viewer drew before it had normals. With no lights of
    // its own the model gets the toolkit's white light, placed in eye space (the modelview
    // is the identity here), so it lights the model from the upper right whichever way
    // the model is turned.
    SetLightModelAmbient(0.4f);
    if (model.scene.lightsOn != 1) {
      SetupDefaultLight(GL_LIGHT0);
      LightingOn();
    }
    SetToolkitPathMaterial();
  } else {
    SetLightModelAmbient(0.3f);
    EyeLights(model, display);
  }
  glTranslatef(0.0f, 0.0f, -distance);
  glRotatef(camera.pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(camera.yaw, 0.0f, 1.0f, 0.0f);
  glTranslatef(-model.center[0], -model.center[1], -model.center[2]);
  if (model.toolkitDraw) {
    // The model format has no normals and the scene is drawn with the current one: it is
    // chosen to face the viewer after the turn, so lighting stays even as the model turns.
    const double yaw = camera.yaw * kPi / 180.0, pitch = camera.pitch * kPi / 180.0;
    glNormal3d(-std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (model.list) glCallList(model.list);
  } else {
    FileLights(model, display);
    DrawModelArrays(model, display);
  }
  LightingOff();

  if (fontReady && !status.empty()) {
    DrawStatusBand(static_cast<int>(status.size()));
    for (size_t line = 0; line < status.size(); ++line) {
      PrintLine(status[line].c_str(), static_cast<int32_t>(line));
    }
  }
}
