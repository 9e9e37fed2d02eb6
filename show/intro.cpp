// The intro: a logo, a textured tunnel with a particle stream, nested additive spheres
// and two title panels, each chosen by the order number the music is playing.
#include "show/intro.h"

#include "platform/gl_api.h"
#include "resources/music_player.h"
#include "resources/texture_table.h"
#include "show/particle_field.h"
#include "show/render_state.h"
#include "show/title_panel.h"

uint8_t introPhase = 1;
float tunnelSpin = 0.0f;
float tunnelInnerSpin = 0.0f;
float sphereSpin = 0.0f;
float particleDepth = -40.0f;

namespace {
void Bind(TextureSlot slot) {
  glBindTexture(GL_TEXTURE_2D, showTextures[slot]);
}

// Orders 0 and 1: the logo, opaque, in the state every frame starts in.
void DrawLogo() {
  Bind(kTexTarnel);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.1f, -0.9f, -2.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(1.1f, -0.9f, -2.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(1.1f, 0.9f, -2.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-1.1f, 0.9f, -2.0f);
  glEnd();
}

// A title panel over the current scene, its picture added onto what is there.
void DrawPanel(TextureSlot slot) {
  glPushMatrix();
  BlendingOn();
  Bind(slot);
  DrawTitlePanel();
  BlendingOff();
  glPopMatrix();
}

// Orders 2 and 3: two tubes along the view axis, the particle stream, and in order 3 the
// first title panel.
void DrawTunnel() {
  // The outer tube is opaque and runs from z = -10 to z = +10 around the viewer.
  glPushMatrix();
  Bind(kTexIntro);
  glTranslatef(0.0f, 0.0f, -10.0f);
  glRotatef(tunnelSpin, 0.0f, 0.0f, 1.0f);
  gluCylinder(quadric, 0.5, 0.5, 20.0, 32, 32);
  glPopMatrix();

  // The inner tube reuses the bound tunnel texture, added onto the outer one.
  const float innerRadius = 0.4f;
  glPushMatrix();
  BlendingOn();
  glTranslatef(0.0f, 0.0f, -10.0f);
  glRotatef(tunnelInnerSpin, 0.0f, 0.0f, 1.0f);
  gluCylinder(quadric, innerRadius, innerRadius, 20.0, 32, 32);
  BlendingOff();
  glPopMatrix();

  // The stream loads the identity per particle: push and pop keep our matrix.
  glPushMatrix();
  LightingOff();
  Bind(kTexPart);
  DrawStream(particleField, particleDepth, 0);
  glPopMatrix();

  if (MusicGetOrder() > 2) {
    DrawPanel(kTexPres);
    sphereSpin += 1.0f;
  }
  tunnelSpin += 0.3f;
  tunnelInnerSpin -= 0.4f;
}

// Orders 4 and 5: four spheres around the viewer, all added together, and in order 5
// the second title panel.
void DrawSpheres() {
  struct Turn {
    float angle, x, y, z;
  };
  struct Sphere {
    Turn tilt;
    bool spins;
    Turn spinAxis;  // angle unused: the sphere turns by sphereSpin
    GLint slices;
  };
  static constexpr Sphere kSpheres[] = {
      {{90.0f, 0.0f, 1.0f, 1.0f}, false, {0.0f, 0.0f, 0.0f, 0.0f}, 29},
      {{90.0f, 0.0f, 0.5f, 1.0f}, true, {0.0f, 1.0f, 0.0f, 1.0f}, 28},
      {{90.0f, 0.5f, 1.0f, 1.0f}, true, {0.0f, -1.0f, 0.0f, 1.0f}, 27},
      {{90.0f, 0.0f, 0.5f, 1.0f}, true, {0.0f, -1.0f, 0.0f, -1.0f}, 26},
  };

  Bind(kTexIntro);
  for (const Sphere& s : kSpheres) {
    glPushMatrix();
    BlendingOn();
    // glRotatef normalises the axes, which are not unit length.
    glRotatef(s.tilt.angle, s.tilt.x, s.tilt.y, s.tilt.z);
    if (s.spins) glRotatef(sphereSpin, s.spinAxis.x, s.spinAxis.y, s.spinAxis.z);
    gluSphere(quadric, 5.5, s.slices, s.slices);
    BlendingOff();
    glPopMatrix();
  }

  if (MusicGetOrder() > 4) DrawPanel(kTexLumivex);
  sphereSpin += 0.5f;
}
}  // namespace

void ResetIntro() {
  introPhase = 1;
  tunnelSpin = 0.0f;
  tunnelInnerSpin = 0.0f;
  sphereSpin = 0.0f;
  particleDepth = -40.0f;
}

void DrawIntro() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  AdditiveBlendFunc();

  // Every test asks the player afresh: the order can move on while a frame is drawn, so
  // one frame may draw two scenes, or none.
  if (MusicGetOrder() < 2) DrawLogo();
  if (MusicGetOrder() > 1 && MusicGetOrder() < 4) DrawTunnel();
  if (MusicGetOrder() > 3 && MusicGetOrder() < 6) DrawSpheres();
  // The gallery follows in the same main-loop pass.
  if (MusicGetOrder() == kGalleryOrder) introPhase = 0;
}
