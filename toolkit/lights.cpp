// Lights and materials: each operation is its GL calls in a fixed order.
#include "toolkit/lights.h"

const GLfloat defaultLightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat defaultLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat defaultLightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat defaultLightPosition[4] = {1.0f, 1.0f, 1.0f, 0.0f};  // w = 0: directional

void SetupLight(GLenum light, const GLfloat* ambient, const GLfloat* diffuse,
                const GLfloat* specular, const GLfloat* position) {
  glLightfv(light, GL_AMBIENT, ambient);
  glLightfv(light, GL_DIFFUSE, diffuse);
  glLightfv(light, GL_SPECULAR, specular);
  glLightfv(light, GL_POSITION, position);
  glEnable(light);
}

void SetupDefaultLight(GLenum light) {
  SetupLight(light, defaultLightAmbient, defaultLightDiffuse, defaultLightSpecular,
             defaultLightPosition);
}

void SetMaterial(const GLfloat* ambient, const GLfloat* diffuse, const GLfloat* specular,
                 const GLfloat* shininess, const GLfloat* emission) {
  glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT, GL_SHININESS, shininess);
  glMaterialfv(GL_FRONT, GL_EMISSION, emission);
}
