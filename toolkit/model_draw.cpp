// Model scene drawing in immediate mode: one glBegin/glEnd per face, no normals (lit faces
// use the current normal).
#include "toolkit/model_draw.h"

#include <cmath>

#include "show/next_random.h"
#include "show/render_state.h"

float viewHeading = 0.0f;

namespace {

void SwitchOnLights(const ModelScene* scene) {
  if (scene->lightsOn != 1) return;
  LightingOn();
  for (uint32_t i = 0; i <= scene->lastLight && i < kModelMaxLights; ++i) {
    const ModelLight& light = scene->lights[i];
    const GLenum id = GL_LIGHT0 + i;
    const GLfloat diffuse[4] = {light.r, light.g, light.b, 1.0f};
    const GLfloat position[4] = {light.x, light.y, light.z, 1.0f};  // w = 1: a point light
    glLightfv(id, GL_DIFFUSE, diffuse);
    glLightfv(id, GL_POSITION, position);
    glEnable(id);
  }
}

void DrawObjects(const ModelScene* scene, const GLuint* textures) {
  if (!scene->objects) return;
  for (uint32_t k = 0; k <= scene->lastObject; ++k) {
    const ModelObject& object = scene->objects[k];
    glPushMatrix();
    glTranslatef(object.position[0], object.position[1], object.position[2]);
    for (uint32_t s = 1; object.faces && s <= object.faceCount; ++s) {
      const ModelFace& face = object.faces[s];
      glColor4ub(255, 255, 255, 255);
      if (textures) glBindTexture(GL_TEXTURE_2D, textures[face.material]);
      glBegin(GL_TRIANGLES);
      for (const ModelCorner& c : face.corners) {
        glTexCoord2f(c.u, c.v);
        glVertex3f(c.x, c.y, c.z);
      }
      glEnd();
    }
    glPopMatrix();
  }
}

}  // namespace

void DrawModelScene(const ModelScene* scene, const GLuint* textures) {
  if (!scene) return;
  SwitchOnLights(scene);
  DrawObjects(scene, textures);
}

void DrawModelSceneUntextured(const ModelScene* scene) {
  if (!scene) return;
  SwitchOnLights(scene);
  DrawObjects(scene, nullptr);
}

void CompileModelScene(const ModelScene* scene, const GLuint* textures, GLuint* list) {
  *list = glGenLists(1);
  glNewList(*list, GL_COMPILE);
  DrawModelScene(scene, textures);
  glEndList();
}

void MoveViewer(ModelScene* scene, float step) {
  const double dx = std::cos(static_cast<double>(viewHeading)) * step;
  const double dz = std::sin(static_cast<double>(viewHeading)) * -static_cast<double>(step);
  scene->viewPosition[0] = static_cast<float>(scene->viewPosition[0] + dx);
  scene->viewPosition[2] = static_cast<float>(scene->viewPosition[2] + dz);
}

float RandomFloat(float range) {
  return static_cast<float>(NextRandom() / 32768.0 * range);
}
