// GL feedback capture for drawing tests.
#include "tests/support/gl_fixture.h"

#include <gtest/gtest.h>

#include "platform/gl_api.h"

namespace {

// What each feedback token stands for, and how many vertices follow it.
constexpr int kCountFollows = -1;  // a polygon: its vertex count comes first
struct TokenShape {
  GLint token;
  FeedbackPrimitive::Kind kind;
  int vertices;
};
constexpr TokenShape kTokens[] = {
    {GL_POINT_TOKEN, FeedbackPrimitive::kPoint, 1},
    {GL_LINE_TOKEN, FeedbackPrimitive::kLine, 2},
    {GL_LINE_RESET_TOKEN, FeedbackPrimitive::kLine, 2},
    {GL_POLYGON_TOKEN, FeedbackPrimitive::kPolygon, kCountFollows},
    {GL_BITMAP_TOKEN, FeedbackPrimitive::kBitmap, 1},
    {GL_DRAW_PIXEL_TOKEN, FeedbackPrimitive::kPixels, 1},
    {GL_COPY_PIXEL_TOKEN, FeedbackPrimitive::kPixels, 1},
    {GL_PASS_THROUGH_TOKEN, FeedbackPrimitive::kPassThrough, 0},
};

}  // namespace

std::vector<FeedbackPrimitive> CaptureFeedback(const std::function<void()>& draw,
                                               int bufferFloats) {
  std::vector<GLfloat> buffer(bufferFloats);
  glFeedbackBuffer(bufferFloats, GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<FeedbackPrimitive> primitives;
  // A capture that is not whole fails the test here: an empty or cut list would pass every
  // test that expects "nothing drawn".
  if (used < 0) {
    ADD_FAILURE() << "GL feedback overflowed its buffer of " << bufferFloats << " floats";
    return primitives;
  }

  constexpr int kVertexFloats = 11;  // x y z, r g b a, s t p q (RGBA mode)
  auto readVertex = [&](GLint& at) {
    FeedbackVertex v;
    float* fields = &v.x;
    for (int i = 0; i < kVertexFloats; ++i) fields[i] = buffer[at++];
    return v;
  };
  GLint at = 0;
  while (at < used) {
    const GLint token = static_cast<GLint>(buffer[at++]);
    const TokenShape* shape = nullptr;
    for (const TokenShape& known : kTokens) {
      if (known.token == token) shape = &known;
    }
    if (!shape) {
      ADD_FAILURE() << "unknown GL feedback token " << token << " at float " << at - 1;
      return primitives;
    }
    FeedbackPrimitive primitive{};
    primitive.kind = shape->kind;
    int count = shape->vertices;
    if (count == kCountFollows) count = static_cast<int>(buffer[at++]);
    if (token == GL_PASS_THROUGH_TOKEN) ++at;  // the pass-through value
    if (count < 0 || at + static_cast<GLint>(count) * kVertexFloats > used) {
      ADD_FAILURE() << "GL feedback ends inside a primitive of " << count << " vertices";
      return primitives;
    }
    for (int i = 0; i < count; ++i) primitive.vertices.push_back(readVertex(at));
    primitives.push_back(std::move(primitive));
  }
  return primitives;
}
