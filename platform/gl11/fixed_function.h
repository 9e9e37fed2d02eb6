// GL 1.1's fixed-function vertex and fragment stages as one ES 2 program: the modelview
// and projection transforms, the texture matrix, per-vertex lighting (ambient, diffuse
// and specular terms of up to eight directional or point lights, the local viewer off,
// the scene ambient at GL's default 0.2) and GL_MODULATE texturing. Vertex colours are
// clamped to [0, 1] as GL clamps them.
#pragma once

#include <vector>

#include "platform/gl11/batch.h"
#include "platform/gl11/matrix.h"

namespace gl11 {

struct LightState {
  bool on;
  float ambient[4];
  float diffuse[4];
  float specular[4];
  float position[4];     // eye space, as GL_POSITION was transformed when it was set
  float attenuation[3];  // constant, linear, quadratic
};

struct MaterialState {
  float ambient[4];
  float diffuse[4];
  float specular[4];
  float emission[4];
  float shininess;
};

// Everything a draw reads; the dirty bits say what changed since the last draw.
struct DrawState {
  const Mat4* modelview;
  const Mat4* projection;
  const Mat4* texture;
  bool texturing;  // enabled and the bound texture complete
  bool lighting;
  bool normalize;
  const LightState* lights;  // kMaxLights
  const MaterialState* material;
};

enum DirtyBits : unsigned {
  kDirtyMatrices = 1u,
  kDirtyLighting = 2u,
  kDirtyTexturing = 4u,
  kDirtyAll = 7u,
};

class FixedFunction {
 public:
  // Draws `vertices` as `mode` with `state`: an ES 2 mode as it is, or quads, a quad
  // strip or a polygon through its index pattern (TriangleIndexCount). False when the
  // program could not be made (reported once on standard error).
  bool Draw(GLenum mode, const std::vector<Vertex>& vertices, const DrawState& state,
            unsigned dirty);
  // Forgets the ES objects (for a new context); the next draw makes them again.
  void Forget();

 private:
  bool Prepare();
  void Upload(const DrawState& state, unsigned dirty);
  // Binds the index list of `mode`, grown to at least `count` indices.
  void BindPattern(GLenum mode, size_t count);

  bool ready_ = false;
  bool failed_ = false;
  GLuint program_ = 0;
  GLuint buffer_ = 0;
  // The index lists of quads, quad strips and polygons, and how many indices each holds.
  GLuint patterns_[3] = {};
  size_t patternCounts_[3] = {};
  GLuint boundPattern_ = 0;
  std::vector<uint16_t> indices_;
  struct Locations {
    GLint modelview, projection, textureMatrix, normalMatrix;
    GLint texturing, sampler, lighting, normalize;
    GLint sceneColour, materialDiffuse, materialSpecular, materialAmbient, shininess;
    GLint lightCount, lightPosition, lightAmbient, lightDiffuse, lightSpecular, lightAttenuation;
  } at_{};
  GLint attribPosition_ = -1, attribColour_ = -1, attribTexCoord_ = -1, attribNormal_ = -1;
};

}  // namespace gl11
