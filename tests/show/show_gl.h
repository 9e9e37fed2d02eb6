// Shared set-up for the show's drawing tests: one headless context, the show's GL
// defaults, solid-colour textures and helpers that turn feedback back into eye space.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/gl_fixture.h"

namespace showtest {

struct Vec3 {
  float x, y, z;
};

// Makes the one context current (created on first use) and fails the test without it.
bool EnsureGL();
// A fresh scripted platform and the show's state as the program starts (ResetShowState),
// then the GL defaults start-up sets (SetRenderDefaults), texturing on, blending, lighting
// and culling off, white colour, identity modelview; and a quadric as start-up makes it.
void ResetShowAndGL();
// The show's projection: 45 degrees, 4:3, near 0.1, far 1000000.
void UsePerspective();
// An orthographic box of half-size `h` in x, y and z: feedback then maps back to eye
// space linearly, and nothing the tests draw inside it is clipped.
void UseOrtho(float h);
// Eye-space position of a feedback vertex under UseOrtho(h) on an 800 x 600 viewport.
Vec3 EyeFromFeedback(const FeedbackVertex& v);
// A 2 x 2 texture of one RGB colour.
uint32_t SolidTexture(uint8_t r, uint8_t g, uint8_t b);
// Fills every slot of showTextures with a texture of the given colour.
void FillTextures(uint8_t r, uint8_t g, uint8_t b);
// Window pixel of a point given in the current modelview frame (projection as set).
bool ProjectToPixel(const Vec3& p, int* x, int* y);
HeadlessGL::Pixel Probe(int x, int y);

// The module position the fake player reports: a fixed order...
void SetOrder(int order);
// ...or one value per query, the last repeated; counts the queries.
void SetOrderSequence(std::vector<int> orders, int* queries = nullptr);

// Captures a frame through feedback, as primitives in eye space under UseOrtho(h).
struct Triangle {
  Vec3 v[3];
  float s[3], t[3];
};
std::vector<Triangle> CaptureTriangles(const std::function<void()>& draw);

bool Near(float a, float b, float tolerance = 1e-4f);
bool Near(const Vec3& a, const Vec3& b, float tolerance = 1e-4f);

}  // namespace showtest
