// Primitive assembly for glBegin/glEnd batches.
#include "platform/gl11/batch.h"

namespace gl11 {

namespace {
// Whole primitives only: the vertex count each needs, and the count kept.
size_t Kept(size_t count, size_t minimum, size_t group) {
  if (count < minimum) return 0;
  return count - (count - minimum) % group;
}

// The triangle-list indices a quads, quad-strip or polygon batch of n vertices makes.
size_t PatternLength(GLenum mode, size_t n) {
  switch (mode) {
    case kQuads:
      return 6 * (n / 4);
    case kQuadStrip:
      return n >= 4 ? 6 * ((n - 2) / 2) : 0;
    case kPolygon:
      return n >= 3 ? 3 * (n - 2) : 0;
    default:
      return 0;
  }
}

// Entry j of the pattern. A quad a b c d is the triangles a b d and b c d, sharing the
// b-d diagonal. Where the corners' texture coordinates are not an affine map of their
// positions (a sphere's quads), the diagonal shows in the picture: these splits are the
// ones Mesa's desktop GL makes, so the two draw the same texels. Quad i of a strip is
// v(2i) v(2i+1) v(2i+3) v(2i+2), split along its v(2i)-v(2i+3) diagonal; a polygon,
// convex by GL's rules, is a fan from its first vertex.
size_t PatternIndex(GLenum mode, size_t j) {
  static constexpr size_t kQuad[6] = {0, 1, 3, 1, 2, 3};
  static constexpr size_t kStripQuad[6] = {1, 3, 0, 3, 2, 0};
  switch (mode) {
    case kQuads:
      return 4 * (j / 6) + kQuad[j % 6];
    case kQuadStrip:
      return 2 * (j / 6) + kStripQuad[j % 6];
    default:
      return j % 3 == 0 ? 0 : j / 3 + j % 3;
  }
}
}  // namespace

bool IsBeginMode(GLenum mode) {
  return mode <= kPolygon;  // GL_POINTS (0) to GL_POLYGON (9)
}

GLenum AssembleBatch(GLenum mode, const std::vector<Vertex>& in, std::vector<Vertex>* out) {
  out->clear();
  const size_t n = in.size();
  switch (mode) {
    case kQuads:
    case kQuadStrip:
    case kPolygon:
      for (size_t j = 0, count = PatternLength(mode, n); j < count; ++j) {
        out->push_back(in[PatternIndex(mode, j)]);
      }
      return GL_TRIANGLES;
    case GL_POINTS:
      out->assign(in.begin(), in.end());
      return mode;
    case GL_LINES:
      out->assign(in.begin(), in.begin() + Kept(n, 2, 2));
      return mode;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      if (n >= 2) out->assign(in.begin(), in.end());
      return mode;
    case GL_TRIANGLES:
      out->assign(in.begin(), in.begin() + Kept(n, 3, 3));
      return mode;
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
      if (n >= 3) out->assign(in.begin(), in.end());
      return mode;
    default:
      return GL_TRIANGLES;
  }
}

size_t TriangleIndexCount(GLenum mode, size_t vertices) {
  return vertices <= kMaxIndexedVertices ? PatternLength(mode, vertices) : 0;
}

void TriangleIndices(GLenum mode, size_t count, std::vector<uint16_t>* out) {
  out->resize(count);
  for (size_t j = 0; j < count; ++j) (*out)[j] = static_cast<uint16_t>(PatternIndex(mode, j));
}

}  // namespace gl11
