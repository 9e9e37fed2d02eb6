// Shared set-up for the show's drawing tests.
#include "tests/show/show_gl.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "platform/gl_api.h"
#include "resources/startup.h"
#include "shell/show_state.h"
#include "tests/support/fake_platform.h"

namespace showtest {
namespace {
// Made once and never destroyed: tearing a Mesa context down from an exit handler, after
// LLVM's own statics are gone, can spin for ever.
HeadlessGL* context = nullptr;
float orthoHalf = 1.0f;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
}  // namespace

bool EnsureGL() {
  if (!context) context = new HeadlessGL(kWidth, kHeight);
  if (!context->ok()) {
    ADD_FAILURE() << "headless GL: " << context->error();
    return false;
  }
  context->MakeCurrent();
  return true;
}

void ResetShowAndGL() {
  fake::Reset();
  ResetShowState();
  SetRenderDefaults();
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricTexture(quadric, GL_TRUE);
}

void UsePerspective() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, static_cast<double>(0.1f), 1000000.0);
  glMatrixMode(GL_MODELVIEW);
}

void UseOrtho(float h) {
  orthoHalf = h;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-h, h, -h, h, -h, h);
  glMatrixMode(GL_MODELVIEW);
}

Vec3 EyeFromFeedback(const FeedbackVertex& v) {
  const double h = orthoHalf;
  // Window x, y span the viewport; window z = (1 - z_eye / h) / 2 under glOrtho(.., -h, h).
  return {static_cast<float>((v.x / (kWidth / 2.0) - 1.0) * h),
          static_cast<float>((v.y / (kHeight / 2.0) - 1.0) * h),
          static_cast<float>((1.0 - 2.0 * v.z) * h)};
}

uint32_t SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t texels[4 * 3] = {r, g, b, r, g, b, r, g, b, r, g, b};
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

void FillTextures(uint8_t r, uint8_t g, uint8_t b) {
  const uint32_t name = SolidTexture(r, g, b);
  for (uint32_t& slot : showTextures) slot = name;
}

bool ProjectToPixel(const Vec3& p, int* x, int* y) {
  GLdouble model[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLdouble wx, wy, wz;
  if (!gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz)) return false;
  *x = static_cast<int>(wx);
  *y = static_cast<int>(wy);
  return *x >= 0 && *x < kWidth && *y >= 0 && *y < kHeight;
}

HeadlessGL::Pixel Probe(int x, int y) {
  return context->ReadPixel(x, y);
}

void SetOrder(int order) {
  fake::state.position = [order] { return static_cast<uint32_t>(order); };
}

void SetOrderSequence(std::vector<int> orders, int* queries) {
  auto calls = std::make_shared<size_t>(0);
  fake::state.position = [orders, calls, queries] {
    const size_t at = (*calls)++;
    if (queries) *queries = static_cast<int>(*calls);
    return static_cast<uint32_t>(orders[at < orders.size() ? at : orders.size() - 1]);
  };
}

std::vector<Triangle> CaptureTriangles(const std::function<void()>& draw) {
  std::vector<Triangle> triangles;
  for (const FeedbackPrimitive& p : CaptureFeedback(draw)) {
    if (p.kind != FeedbackPrimitive::kPolygon || p.vertices.size() < 3) continue;
    // Fan out anything larger than a triangle, as a quad split would.
    for (size_t i = 1; i + 1 < p.vertices.size(); ++i) {
      Triangle t;
      const FeedbackVertex* corners[3] = {&p.vertices[0], &p.vertices[i], &p.vertices[i + 1]};
      for (int k = 0; k < 3; ++k) {
        t.v[k] = EyeFromFeedback(*corners[k]);
        t.s[k] = corners[k]->s;
        t.t[k] = corners[k]->t;
      }
      triangles.push_back(t);
    }
  }
  return triangles;
}

bool Near(float a, float b, float tolerance) {
  return std::fabs(a - b) <= tolerance;
}

bool Near(const Vec3& a, const Vec3& b, float tolerance) {
  return Near(a.x, b.x, tolerance) && Near(a.y, b.y, tolerance) && Near(a.z, b.z, tolerance);
}

}  // namespace showtest
