// One glBegin/glEnd batch: the vertices as sent, and their assembly into a primitive ES 2
// draws. Quads, quad strips and polygons become triangle lists; every other primitive is
// drawn as it was sent. Trailing vertices that make no whole primitive are dropped, as GL
// drops them.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/gl11/gl11_enums.h"

namespace gl11 {

// One vertex with the current attributes it was sent with; the layout the layer's vertex
// buffer uses.
struct Vertex {
  float position[4];
  float colour[4];
  float texCoord[4];
  float normal[3];
};

// True for the ten modes glBegin accepts.
bool IsBeginMode(GLenum mode);

// The vertices of a batch in `mode`, assembled for ES 2: returns the ES 2 mode to draw
// and fills `out` (empty when the batch makes no primitive).
GLenum AssembleBatch(GLenum mode, const std::vector<Vertex>& in, std::vector<Vertex>* out);

}  // namespace gl11
