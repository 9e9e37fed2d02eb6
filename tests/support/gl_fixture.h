// Test support for drawing code: the headless GL context (platform/headless) and GL
// feedback, which returns every primitive a frame sends after transformation.
#pragma once

#include <functional>
#include <vector>

#include "platform/headless/headless_gl.h"

// One vertex of GL feedback in GL_3D_COLOR_TEXTURE mode: window coordinates, colour and
// texture coordinate.
struct FeedbackVertex {
  float x, y, z;
  float r, g, b, a;
  float s, t, p, q;
};
// One primitive as GL feedback returns it (after transformation and clipping).
struct FeedbackPrimitive {
  enum Kind { kPoint, kLine, kPolygon, kBitmap, kPixels, kPassThrough } kind;
  std::vector<FeedbackVertex> vertices;
};
// Runs `draw` in feedback mode and returns what it sent, in order. A capture that overflows
// the buffer or cannot be read to its end fails the running test.
std::vector<FeedbackPrimitive> CaptureFeedback(const std::function<void()>& draw,
                                               int bufferFloats = 1 << 20);
