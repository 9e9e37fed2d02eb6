// The comparison frames: the show's scenes and the toolkit's drawing.
#include "tests/gl11/scenes.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/gl_api.h"
#include "resources/startup.h"
#include "shell/gl_window.h"
#include "show/gallery.h"
#include "show/intro.h"
#include "show/render_state.h"
#include "show/title_panel.h"
#include "tests/support/fake_platform.h"
#include "toolkit/font.h"
#include "toolkit/lights.h"
#include "toolkit/model_draw.h"
#include "toolkit/model_file.h"

namespace gl11test {

namespace {

void SetOrder(int order) {
  fake::state.position = [order] { return static_cast<uint32_t>(order); };
}

void Intro(int order, float spin) {
  SetOrder(order);
  introPhase = 1;
  tunnelSpin = spin;
  tunnelInnerSpin = -spin * 1.5f;
  sphereSpin = spin;
  DrawIntro();
}

void Gallery(int32_t set, float yaw, float z, float spin) {
  SetOrder(6);
  introPhase = 0;
  gallerySet = set;
  viewYaw = yaw;
  viewZ = z;
  starSpin = spin;
  DrawGallery();
}

// A lit, untextured sphere under the built-in white light and a warm point light, beside
// a lit title-panel triangle: the toolkit's lights and materials.
void Lights() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  TexturingOff();
  LightingOn();
  SetupDefaultLight(GL_LIGHT0);
  const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat warm[4] = {1.0f, 0.5f, 0.2f, 1.0f};
  const GLfloat near[4] = {-3.0f, 1.0f, -5.0f, 1.0f};
  SetupLight(GL_LIGHT1, black, warm, warm, near);
  const GLfloat ambient[4] = {0.2f, 0.2f, 0.3f, 1.0f};
  const GLfloat diffuse[4] = {0.8f, 0.7f, 0.6f, 1.0f};
  const GLfloat specular[4] = {0.9f, 0.9f, 0.9f, 1.0f};
  const GLfloat shininess[1] = {40.0f};
  const GLfloat emission[4] = {0.05f, 0.0f, 0.1f, 1.0f};
  SetMaterial(ambient, diffuse, specular, shininess, emission);
  glPushMatrix();
  glTranslatef(0.8f, 0.0f, -8.0f);
  glRotatef(30.0f, 1.0f, 0.5f, 0.0f);
  gluSphere(quadric, 2.0, 32, 24);
  glPopMatrix();
  glPushMatrix();
  glTranslatef(-1.5f, 0.0f, -1.0f);
  glRotatef(25.0f, 0.0f, 1.0f, 0.0f);
  DrawTitlePanel();
  glPopMatrix();
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHT1);
  LightingOff();
  TexturingOn();
}

// A two-object model scene with two point lights, drawn textured and then compiled into
// a list and called again further back.
void Model() {
  static ModelFace faces[2][3];
  static ModelObject objects[2];
  static ModelScene scene;
  const ModelCorner a[3] = {{-1.0f, -1.0f, 0.0f, 0.0f, 0.0f},
                            {1.0f, -1.0f, 0.0f, 1.0f, 0.0f},
                            {0.0f, 1.2f, 0.0f, 0.5f, 1.0f}};
  for (int k = 0; k < 2; ++k) {
    for (int f = 1; f <= 2; ++f) {
      for (int c = 0; c < 3; ++c) {
        faces[k][f].corners[c] = a[c];
        faces[k][f].corners[c].z = f == 2 ? -0.5f : 0.0f;
        faces[k][f].corners[c].x += f == 2 ? 0.6f : 0.0f;
      }
      faces[k][f].material = kTexKavra + k + f;
    }
    objects[k] = {k, faces[k], 2, {k == 0 ? -1.2f : 1.2f, 0.0f, -5.0f}};
  }
  scene = {};
  scene.lastObject = 1;
  scene.objects = objects;
  scene.lights[0] = {0.0f, 2.0f, -3.0f, 1.0f, 1.0f, 0.8f};
  scene.lights[1] = {-3.0f, -1.0f, -4.0f, 0.3f, 0.3f, 1.0f};
  scene.lightsOn = 1;
  scene.lastLight = 1;

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  DrawModelScene(&scene, showTextures);
  GLuint list = 0;
  CompileModelScene(&scene, showTextures, &list);
  glTranslatef(0.0f, -1.5f, -4.0f);
  glCallList(list);
  glDeleteLists(list, 1);
  for (int i = 0; i < 2; ++i) glDisable(GL_LIGHT0 + i);
  LightingOff();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// The texture font: a generated 256 x 256 glyph sheet, both glyph sets, text lines and a
// string with bytes outside the font.
void Font() {
  static bool built = false;
  if (!built) {
    std::vector<uint8_t> sheet(256 * 256 * 3);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const int cx = x % 16, cy = y % 16, glyph = (y / 16) * 16 + x / 16;
        const bool ink = (cx > 2 && cx < 13 && cy > 2 && cy < 13) && ((cx + cy + glyph) % 3 != 0);
        uint8_t* p = &sheet[(y * 256 + x) * 3];
        p[0] = ink ? 255 : 0;
        p[1] = ink ? static_cast<uint8_t>(glyph) : 0;
        p[2] = ink ? static_cast<uint8_t>(255 - glyph) : 0;
      }
    }
    glGenTextures(1, &fontTexture);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, sheet.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    BuildFontLists();
    built = true;
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  textLineCount = 0;
  PrintLine("LUMIVEX 0123456789 !?", 1);
  AppendLine("the quick brown fox");
  glColor4f(0.3f, 1.0f, 0.5f, 0.8f);
  PrintText(120, 200, "set one, coloured", 1);
  PrintText(40, 120, "bytes \x81\xfe kept out", 0);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// One vertex with its colour and texture coordinate.
void Corner(float x, float y, float s, float t, float r, float g, float b) {
  glColor4f(r, g, b, 1.0f);
  glTexCoord2f(s, t);
  glVertex3f(x, y, 0.0f);
}

// Every glBegin mode, with per-vertex colours and texture coordinates that are not an
// affine map of the positions (so the way a quad is split shows), part of it from a list
// compiled and executed at once and called again.
void Primitives() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -6.0f);
  glBindTexture(GL_TEXTURE_2D, showTextures[kTexPertaxa1]);
  glBegin(GL_QUADS);
  Corner(-3.6f, 0.4f, 0.0f, 0.0f, 1.0f, 0.2f, 0.2f);
  Corner(-1.4f, 0.4f, 1.0f, 0.0f, 0.2f, 1.0f, 0.2f);
  Corner(-2.0f, 2.2f, 1.0f, 1.0f, 0.2f, 0.2f, 1.0f);
  Corner(-3.0f, 2.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f);
  glEnd();
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i <= 3; ++i) {
    const float x = -1.0f + 0.8f * i, lift = 0.3f * i * i;
    Corner(x, 0.4f, 0.33f * i, 0.0f, 1.0f, 0.3f * i, 0.0f);
    Corner(x + 0.2f * i, 1.6f + lift, 0.33f * i, 1.0f, 0.0f, 0.3f * i, 1.0f);
  }
  Corner(2.0f, 0.0f, 1.0f, 0.5f, 1.0f, 1.0f, 1.0f);  // an odd vertex, dropped
  glEnd();
  glBegin(GL_POLYGON);
  for (int i = 0; i < 5; ++i) {
    const float a = 1.2566371f * i;
    Corner(3.0f + std::cos(a), 1.2f + std::sin(a), 0.5f + 0.5f * std::cos(a),
           0.5f + 0.5f * std::sin(a * 1.3f), 0.2f * i, 1.0f - 0.2f * i, 0.5f);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 6; ++i) {
    Corner(-3.5f + 0.5f * i, -0.4f - (i % 2) * 1.2f - 0.1f * i, 0.2f * i, i % 2, 0.5f, 0.1f * i,
           1.0f);
  }
  glEnd();
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE_AND_EXECUTE);
  glBegin(GL_TRIANGLE_FAN);
  Corner(0.5f, -1.0f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f);
  for (int i = 0; i < 5; ++i) {
    const float a = 0.5f * i;
    Corner(0.5f + std::cos(a), -1.0f + std::sin(a) * 0.8f, 0.5f + 0.4f * std::cos(a * 2.0f),
           0.9f - 0.2f * i, 0.2f * i, 0.6f, 1.0f - 0.2f * i);
  }
  glEnd();
  glEndList();
  glPushMatrix();
  glTranslatef(0.3f, -1.0f, 0.5f);
  glRotatef(20.0f, 0.0f, 0.0f, 1.0f);
  glCallList(list);
  glPopMatrix();
  glDeleteLists(list, 1);

  TexturingOff();
  glBegin(GL_TRIANGLES);
  Corner(2.0f, -0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
  Corner(3.6f, -0.4f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
  Corner(2.6f, -1.6f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  Corner(3.0f, -2.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f);  // an incomplete triangle, dropped
  glEnd();
  glBegin(GL_LINES);
  Corner(-3.6f, -2.2f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f);
  Corner(-1.0f, -2.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
  glEnd();
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < 5; ++i) Corner(-0.8f + 0.4f * i, -2.2f + 0.15f * (i % 2), 0, 0, 1, 0.5f, 0);
  glEnd();
  glBegin(GL_LINE_LOOP);
  Corner(1.2f, -2.3f, 0, 0, 0.5f, 1, 0.5f);
  Corner(2.2f, -2.3f, 0, 0, 0.5f, 1, 0.5f);
  Corner(1.7f, -1.8f, 0, 0, 0.5f, 1, 0.5f);
  glEnd();
  glBegin(GL_POINTS);
  for (int i = 0; i < 40; ++i) Corner(2.5f + 0.03f * i, -2.0f + 0.01f * i, 0, 0, 1, 1, 1);
  glEnd();
  TexturingOn();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

struct Scene {
  const char* name;
  void (*draw)();
};

const Scene kScenes[] = {
    {"logo", [] { Intro(0, 0.0f); }},
    {"tunnel", [] { Intro(2, 30.0f); }},
    {"tunnel_panel", [] { Intro(3, 75.0f); }},
    {"spheres", [] { Intro(4, 20.0f); }},
    {"spheres_panel", [] { Intro(5, 140.0f); }},
    {"gallery_set1", [] { Gallery(1, 0.0f, 0.0f, 10.0f); }},
    {"gallery_set2_turned", [] { Gallery(2, 130.0f, -1.2f, 55.0f); }},
    {"gallery_set3", [] { Gallery(3, -75.0f, 1.45f, 300.0f); }},
    {"toolkit_lights", Lights},
    {"toolkit_model", Model},
    {"toolkit_font", Font},
    {"primitives", Primitives},
};

}  // namespace

void StartShow() {
  InitRenderState();
  ResizeView(kWidth, kHeight);
}

const std::vector<const char*>& SceneNames() {
  static const std::vector<const char*> names = [] {
    std::vector<const char*> list;
    for (const Scene& s : kScenes) list.push_back(s.name);
    return list;
  }();
  return names;
}

void DrawScene(int index) {
  kScenes[index].draw();
}

}  // namespace gl11test
