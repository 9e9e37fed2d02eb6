// The particle field: a fixed set of additively blended sprites, seeded from the show's
// random generator and drawn as a stream, an orbit or a burst.
#include "show/particle_field.h"

#include <new>

#include "platform/gl_api.h"
#include "shell/error_log.h"
#include "show/next_random.h"
#include "show/render_state.h"

uint32_t particleQuadList = 0;
// Made before main runs; the show builds it once at start-up and keeps it to the end.
Draw_Particle* particleField = new Draw_Particle();

namespace {
constexpr char kModule[] = "Draw_Particle";
constexpr char kNotReady[] = " Particle not ready";
// A sign draw counts as positive when draw / kSignDivisor exceeds 0.5 (12551 and up).
constexpr float kSignDivisor = 25100.0f;
constexpr float kScatterDivisor = 25100.0f;
constexpr float kBurstDivisor = 45100.0f;
constexpr float kBurstLifetime = 15.0f;  // draws after which a burst particle is thrown anew

// One random value: a sign draw, then a magnitude draw divided by `divisor`.
float SignedDraw(float divisor) {
  const bool positive = static_cast<float>(NextRandom()) / kSignDivisor > 0.5f;
  const float magnitude = static_cast<float>(NextRandom()) / divisor;
  return positive ? magnitude : -magnitude;
}

// The unit sprite square in the z = 0 plane, t = 0 along the bottom edge.
void EmitSpriteQuad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.0f, -1.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(1.0f, -1.0f, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(1.0f, 1.0f, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-1.0f, 1.0f, 0.0f);
  glEnd();
}

// True when the field can be drawn; otherwise reports it once for this draw.
bool Ready(const Draw_Particle* field) {
  if (field && field->particles) return true;
  ErrorLogReport(kModule, kNotReady, 0);
  return false;
}

// The frame every style shares: blended, each particle in turn when the field is ready.
template <typename DrawParticle>
void DrawEach(Draw_Particle* field, DrawParticle draw) {
  BlendingOn();
  if (Ready(field)) {
    for (uint32_t i = 0; i < field->count; ++i) draw(field->particles[i], i);
  }
  BlendingOff();
}

// A sprite's frame starts afresh at the field's depth on the view axis.
void StartAtDepth(float depth) {
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, depth);
}

void SetParticleColour(const Particle& p, int32_t coloured) {
  if (coloured == 1) {
    glColor4ub(static_cast<GLubyte>(p.red), static_cast<GLubyte>(p.green),
               static_cast<GLubyte>(p.blue), 255);
  }
}
}  // namespace

void Build(Draw_Particle* field, uint32_t count, int32_t scatter) {
  if (!field) return;
  // A rebuilt field gives up its earlier array: nothing else holds it.
  delete[] field->particles;
  field->particles = nullptr;
  field->count = 0;

  // Value-initialised, so the burst's velocities and age start at 0.
  Particle* particles = new (std::nothrow) Particle[count]();
  if (!particles) return;  // stays unbuilt; the draws report it
  field->particles = particles;
  field->count = count;

  for (uint32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    p.red = NextRandom() % 256;
    p.green = NextRandom() % 256;
    p.blue = NextRandom() % 256;
    p.orbitRadius = static_cast<float>(count / (i > 1 ? i : 1u));
    p.orbitAngle = 2.0f;
    p.speed = static_cast<float>(p.blue / 256.0);
    if (scatter == 1) {
      p.x = SignedDraw(kScatterDivisor);
      p.y = SignedDraw(kScatterDivisor);
    } else {
      p.x = 0.0f;
      p.y = 0.0f;
    }
    p.z = 0.0f;
  }

  particleQuadList = glGenLists(1);
  glNewList(particleQuadList, GL_COMPILE);
  EmitSpriteQuad();
  glEndList();
}

void ResetParticleField() {
  delete[] particleField->particles;
  particleField->particles = nullptr;
  particleField->count = 0;
  particleQuadList = 0;
}

void DrawStream(Draw_Particle* field, float depth, int32_t coloured) {
  const float limit = -depth;
  DrawEach(field, [&](Particle& p, uint32_t) {
    SetParticleColour(p, coloured);
    StartAtDepth(depth);
    // Restart before the step: a particle is drawn once just past the limit.
    if (limit < p.z) p.z = 0.0f;
    p.z += p.speed;
    glTranslatef(p.x, p.y, p.z);
    glCallList(particleQuadList);
  });
}

void DrawOrbit(Draw_Particle* field, float depth, float tilt) {
  DrawEach(field, [&](Particle& p, uint32_t i) {
    StartAtDepth(depth);
    glRotatef(tilt, 1.0f, 0.0f, 0.0f);
    glRotatef(p.orbitAngle, 0.0f, 1.0f, 0.0f);
    glTranslatef(p.orbitRadius + p.speed, 0.0f, 0.0f);
    // Undo both turns so the sprite faces the viewer.
    glRotatef(-p.orbitAngle, 0.0f, 1.0f, 0.0f);
    glRotatef(-tilt, 1.0f, 0.0f, 0.0f);
    glCallList(particleQuadList);
    p.orbitAngle += static_cast<float>(i) / static_cast<float>(field->count);
  });
}

void DrawBurst(Draw_Particle* field, float depth, int32_t coloured) {
  DrawEach(field, [&](Particle& p, uint32_t) {
    SetParticleColour(p, coloured);
    StartAtDepth(depth);
    if (p.age > kBurstLifetime) {
      p.x = p.y = p.z = p.age = 0.0f;
      p.velocityX = SignedDraw(kBurstDivisor);
      p.velocityY = SignedDraw(kBurstDivisor);
      p.speed = SignedDraw(kBurstDivisor);
    }
    p.y += p.velocityY / 2.0f;
    p.x += p.velocityX / 2.0f;
    p.age += 1.0f;
    glTranslatef(p.x, p.y, p.z);
    EmitSpriteQuad();
  });
}
