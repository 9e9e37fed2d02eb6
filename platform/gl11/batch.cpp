// Primitive assembly for glBegin/glEnd batches.
#include "platform/gl11/batch.h"

namespace gl11 {

namespace {
// A quad a b c d as the triangles a b d and b c d, sharing the b-d diagonal. Where the
// corners' texture coordinates are not an affine map of their positions (a sphere's
// quads), the diagonal shows in the picture: these splits are the ones Mesa's desktop GL
// makes, so the two draw the same texels.
void EmitQuad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d,
              std::vector<Vertex>* out) {
  out->push_back(a);
  out->push_back(b);
  out->push_back(d);
  out->push_back(b);
  out->push_back(c);
  out->push_back(d);
}

// Whole primitives only: the vertex count each needs, and the count kept.
size_t Kept(size_t count, size_t minimum, size_t group) {
  if (count < minimum) return 0;
  return count - (count - minimum) % group;
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
      for (size_t i = 0; i + 3 < n; i += 4) EmitQuad(in[i], in[i + 1], in[i + 2], in[i + 3], out);
      return GL_TRIANGLES;
    case kQuadStrip:
      // Quad i is v(2i) v(2i+1) v(2i+3) v(2i+2), split along its v(2i)-v(2i+3) diagonal.
      for (size_t i = 0; i + 3 < n; i += 2) EmitQuad(in[i + 1], in[i + 3], in[i + 2], in[i], out);
      return GL_TRIANGLES;
    case kPolygon:
      // Convex by GL's rules, so a fan from the first vertex covers it.
      for (size_t i = 1; n >= 3 && i + 1 < n; ++i) {
        out->push_back(in[0]);
        out->push_back(in[i]);
        out->push_back(in[i + 1]);
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

}  // namespace gl11
