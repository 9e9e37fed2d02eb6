// A field of textured, additively blended sprites, drawn in three styles.
#pragma once

#include <cstdint>

// Twelve 4-byte fields in this order.
struct Particle {
  float x;
  float y;
  float z;
  float orbitRadius;
  float orbitAngle;
  int32_t red;
  int32_t green;
  int32_t blue;
  float velocityX;
  float velocityY;
  float speed;
  float age;
};

struct Draw_Particle {
  Particle* particles = nullptr;  // null until Build
  uint32_t count = 0;
};

// The sprite quad's display list, shared by every field; 0 until the first Build.
extern uint32_t particleQuadList;
// The show's one field, made by static initialisation and never freed.
extern Draw_Particle* particleField;

void Build(Draw_Particle* field, uint32_t count, int32_t scatter);
// The show's field back to unbuilt, as the program starts. The sprite list is forgotten,
// not deleted: the GL context it was made in may be gone.
void ResetParticleField();
void DrawStream(Draw_Particle* field, float depth, int32_t coloured);
void DrawOrbit(Draw_Particle* field, float depth, float tilt);
void DrawBurst(Draw_Particle* field, float depth, int32_t coloured);
