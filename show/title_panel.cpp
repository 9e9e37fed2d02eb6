// The title panel: a 4 x 4 square at z = -3 made of two textured triangles, each sent
// with a face normal computed from its corners.
#include "show/title_panel.h"

#include <cmath>

#include "platform/gl_api.h"

namespace {
// t runs from 1 at the bottom edge to 0 at the top: the picture's first row, which the
// texture loader puts at t = 0, shows at the top of the panel.
constexpr PanelTriangle kTriangle1 = {{-2.0f, -2.0f, -3.0f, 0.0f, 1.0f},
                                      {2.0f, -2.0f, -3.0f, 1.0f, 1.0f},
                                      {-2.0f, 2.0f, -3.0f, 0.0f, 0.0f},
                                      {0.0f, 0.0f, 0.0f}};
constexpr PanelTriangle kTriangle2 = {{2.0f, -2.0f, -3.0f, 1.0f, 1.0f},
                                      {2.0f, 2.0f, -3.0f, 1.0f, 0.0f},
                                      {-2.0f, 2.0f, -3.0f, 0.0f, 0.0f},
                                      {0.0f, 0.0f, 0.0f}};

void SendVertex(const PanelVertex& v) {
  glTexCoord2f(v.s, v.t);
  glVertex3f(v.x, v.y, v.z);
}
}  // namespace

void DrawTitlePanel() {
  glPushMatrix();
  DrawPanelTriangle(kTriangle1);
  DrawPanelTriangle(kTriangle2);
  glPopMatrix();
}

void DrawPanelTriangle(PanelTriangle triangle) {
  // PanelVertex starts with x, y, z, so a vertex's address serves as its position vector.
  ComputeFaceNormal(&triangle.p.x, &triangle.q.x, &triangle.r.x, triangle.normal);
  glBegin(GL_TRIANGLES);
  glNormal3f(triangle.normal[0], triangle.normal[1], triangle.normal[2]);
  SendVertex(triangle.p);
  SendVertex(triangle.q);
  SendVertex(triangle.r);
  glEnd();
}

void ComputeFaceNormal(const float* p, const float* q, const float* r, float* normal) {
  const float d[3] = {p[0] - q[0], p[1] - q[1], p[2] - q[2]};
  const float e[3] = {q[0] - r[0], q[1] - r[1], q[2] - r[2]};
  normal[0] = d[1] * e[2] - d[2] * e[1];
  normal[1] = d[2] * e[0] - d[0] * e[2];
  normal[2] = d[0] * e[1] - d[1] * e[0];
  NormalizeVector(normal);
}

void NormalizeVector(float* v) {
  const double x = v[0], y = v[1], z = v[2];
  float length = static_cast<float>(std::sqrt(x * x + y * y + z * z));
  // A degenerate triangle keeps its zero normal rather than dividing by zero.
  if (length == 0.0f) length = 1.0f;
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}
