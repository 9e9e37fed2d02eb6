// One glBegin/glEnd batch: the vertices as sent, and their assembly into a primitive ES 2
// draws. Quads, quad strips and polygons become triangle lists; every other primitive is
// drawn as it was sent. Trailing vertices that make no whole primitive are dropped, as GL
// drops them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gl11/gl11_enums.h"

namespace gl11 {

// One vertex with the current attributes it was sent with; the layout the layer's vertex
// buffer uses.
// Positions have w = 1 and texture coordinates r = 0, q = 1 (the layer takes only
// glVertex2/3 and glTexCoord2), which is what a vertex attribute's missing components
// read as: they are not stored.
struct Vertex {
  float position[3];
  float colour[4];
  float texCoord[2];
  float normal[3];
};

// True for the ten modes glBegin accepts.
bool IsBeginMode(GLenum mode);

// The vertices of a batch in `mode`, assembled for ES 2: returns the ES 2 mode to draw
// and fills `out` (empty when the batch makes no primitive).
GLenum AssembleBatch(GLenum mode, const std::vector<Vertex>& in, std::vector<Vertex>* out);

// Quads, quad strips and polygons may instead be drawn as indexed triangles over the
// vertices as sent: the triangles AssembleBatch makes, from a vertex buffer about a third
// the size. A mode's index pattern does not depend on the batch's length, so one index
// list per mode, grown to the longest batch, serves every batch.
//
// The longest batch 16-bit indices reach (WebGL 1 has no wider ones).
constexpr size_t kMaxIndexedVertices = 65536;
// The number of indices a batch of `vertices` in `mode` draws; 0 for the other modes, for
// a batch that makes no primitive, and past kMaxIndexedVertices.
size_t TriangleIndexCount(GLenum mode, size_t vertices);
// The first `count` indices of `mode`'s pattern.
void TriangleIndices(GLenum mode, size_t count, std::vector<uint16_t>* out);

}  // namespace gl11
