// GL feedback capture for drawing tests.
#include "tests/support/gl_fixture.h"

#include <gtest/gtest.h>

#include "platform/gl_api.h"

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
    FeedbackPrimitive primitive{};
    int count = 0;
    switch (token) {
      case GL_POINT_TOKEN:
        primitive.kind = FeedbackPrimitive::kPoint;
        count = 1;
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        primitive.kind = FeedbackPrimitive::kLine;
        count = 2;
        break;
      case GL_POLYGON_TOKEN:
        primitive.kind = FeedbackPrimitive::kPolygon;
        count = static_cast<int>(buffer[at++]);
        break;
      case GL_BITMAP_TOKEN:
        primitive.kind = FeedbackPrimitive::kBitmap;
        count = 1;
        break;
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        primitive.kind = FeedbackPrimitive::kPixels;
        count = 1;
        break;
      case GL_PASS_THROUGH_TOKEN:
        primitive.kind = FeedbackPrimitive::kPassThrough;
        ++at;  // the pass-through value
        break;
      default:
        ADD_FAILURE() << "unknown GL feedback token " << token << " at float " << at - 1;
        return primitives;
    }
    if (count < 0 || at + static_cast<GLint>(count) * kVertexFloats > used) {
      ADD_FAILURE() << "GL feedback ends inside a primitive of " << count << " vertices";
      return primitives;
    }
    for (int i = 0; i < count; ++i) primitive.vertices.push_back(readVertex(at));
    primitives.push_back(std::move(primitive));
  }
  return primitives;
}
