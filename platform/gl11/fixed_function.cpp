// The fixed-function program: its shaders, its uniforms and the per-batch draw.
#include "platform/gl11/fixed_function.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace gl11 {

namespace {

// GLSL ES 1.00: loops need constant bounds, so the enabled lights come packed first and
// the loop stops at their count.
const char kVertexShader[] = R"(
attribute vec4 aPosition;
attribute vec4 aColour;
attribute vec4 aTexCoord;
attribute vec3 aNormal;
uniform mat4 uModelview;
uniform mat4 uProjection;
uniform mat4 uTextureMatrix;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform bool uNormalize;
uniform vec3 uSceneColour;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialSpecular;
uniform float uShininess;
uniform int uLightCount;
uniform vec4 uLightPosition[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec3 uLightAttenuation[8];
varying vec4 vColour;
varying vec4 vTexCoord;

void main() {
  vec4 eye = uModelview * aPosition;
  gl_Position = uProjection * eye;
  gl_PointSize = 1.0;
  vTexCoord = uTextureMatrix * aTexCoord;
  if (!uLighting) {
    vColour = clamp(aColour, 0.0, 1.0);
    return;
  }
  vec3 n = uNormalMatrix * aNormal;
  if (uNormalize) n = normalize(n);
  vec3 eyePoint = eye.xyz / eye.w;
  vec3 colour = uSceneColour;
  for (int i = 0; i < 8; ++i) {
    if (i >= uLightCount) break;
    vec4 p = uLightPosition[i];
    vec3 toLight;
    float attenuation = 1.0;
    if (p.w == 0.0) {
      toLight = normalize(p.xyz);
    } else {
      vec3 v = p.xyz / p.w - eyePoint;
      float d = length(v);
      toLight = v / d;
      vec3 k = uLightAttenuation[i];
      attenuation = 1.0 / (k.x + k.y * d + k.z * d * d);
    }
    float nDotL = dot(n, toLight);
    vec3 term = uLightAmbient[i].rgb * uMaterialAmbient.rgb;
    if (nDotL > 0.0) {
      term += nDotL * uLightDiffuse[i].rgb * uMaterialDiffuse.rgb;
      // The viewer at infinity along +z: the half vector of the light and (0, 0, 1).
      float nDotH = max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0);
      float power = uShininess == 0.0 ? 1.0 : pow(nDotH, uShininess);
      term += power * uLightSpecular[i].rgb * uMaterialSpecular.rgb;
    }
    colour += attenuation * term;
  }
  vColour = vec4(clamp(colour, 0.0, 1.0), clamp(uMaterialDiffuse.a, 0.0, 1.0));
}
)";

const char kFragmentShader[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform bool uTexturing;
uniform sampler2D uSampler;
varying vec4 vColour;
varying vec4 vTexCoord;

void main() {
  vec4 colour = vColour;
  if (uTexturing) colour *= texture2DProj(uSampler, vTexCoord);
  gl_FragColor = colour;
}
)";

// Whether a shader compiled or a program linked (`status` of `object`); if not, GL's log
// goes to standard error after `failure`. Shaders and programs ask through their own
// pair of calls.
using StatusQuery = void (*)(GLuint, GLenum, GLint*);
using LogQuery = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);
bool Succeeded(GLuint object, GLenum status, StatusQuery query, LogQuery readLog,
               const char* failure) {
  GLint ok = GL_FALSE;
  query(object, status, &ok);
  if (ok) return true;
  char log[1024] = {};
  readLog(object, sizeof log, nullptr, log);
  std::fprintf(stderr, "gl11: %s: %s\n", failure, log);
  return false;
}

GLuint Compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  if (!Succeeded(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog,
                 "shader does not compile")) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

bool FixedFunction::Prepare() {
  if (ready_) return true;
  if (failed_) return false;
  const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  if (!vertex || !fragment) {
    failed_ = true;
    return false;
  }
  program_ = glCreateProgram();
  glAttachShader(program_, vertex);
  glAttachShader(program_, fragment);
  // The position at attribute 0: some implementations draw nothing without it there.
  glBindAttribLocation(program_, 0, "aPosition");
  glLinkProgram(program_);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  if (!Succeeded(program_, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog,
                 "program does not link")) {
    glDeleteProgram(program_);
    program_ = 0;
    failed_ = true;
    return false;
  }
  attribPosition_ = glGetAttribLocation(program_, "aPosition");
  attribColour_ = glGetAttribLocation(program_, "aColour");
  attribTexCoord_ = glGetAttribLocation(program_, "aTexCoord");
  attribNormal_ = glGetAttribLocation(program_, "aNormal");
  auto at = [this](const char* name) { return glGetUniformLocation(program_, name); };
  at_ = {
      at("uModelview"),    at("uProjection"),      at("uTextureMatrix"),    at("uNormalMatrix"),
      at("uTexturing"),    at("uSampler"),         at("uLighting"),         at("uNormalize"),
      at("uSceneColour"),  at("uMaterialDiffuse"), at("uMaterialSpecular"), at("uMaterialAmbient"),
      at("uShininess"),    at("uLightCount"),      at("uLightPosition"),    at("uLightAmbient"),
      at("uLightDiffuse"), at("uLightSpecular"),   at("uLightAttenuation")};
  glGenBuffers(1, &buffer_);
  // The layer is the context's only ES user, so its one program, its one vertex buffer
  // and the attributes' layout in it are set once and stay: a draw then costs a data
  // upload and the draw call (each WebGL call costs the page's thread time).
  glUseProgram(program_);
  glUniform1i(at_.sampler, 0);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  const GLsizei stride = sizeof(Vertex);
  struct Attribute {
    GLint location;
    GLint size;
    size_t offset;
  };
  // Position w and texture r, q are not stored: missing components read as 0, 0, 0, 1.
  const Attribute attributes[] = {{attribPosition_, 3, offsetof(Vertex, position)},
                                  {attribColour_, 4, offsetof(Vertex, colour)},
                                  {attribTexCoord_, 2, offsetof(Vertex, texCoord)},
                                  {attribNormal_, 3, offsetof(Vertex, normal)}};
  for (const Attribute& a : attributes) {
    if (a.location < 0) continue;  // optimised away by the compiler
    glEnableVertexAttribArray(static_cast<GLuint>(a.location));
    glVertexAttribPointer(static_cast<GLuint>(a.location), a.size, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(a.offset));
  }
  ready_ = true;
  return true;
}

void FixedFunction::Upload(const DrawState& s, unsigned dirty) {
  if (dirty & kDirtyMatrices) {
    glUniformMatrix4fv(at_.modelview, 1, GL_FALSE, s.modelview->m);
    glUniformMatrix4fv(at_.projection, 1, GL_FALSE, s.projection->m);
    glUniformMatrix4fv(at_.textureMatrix, 1, GL_FALSE, s.texture->m);
    float normal[9];
    NormalMatrix(*s.modelview, normal);
    glUniformMatrix3fv(at_.normalMatrix, 1, GL_FALSE, normal);
  }
  if (dirty & kDirtyTexturing) glUniform1i(at_.texturing, s.texturing ? 1 : 0);
  if (dirty & kDirtyLighting) {
    glUniform1i(at_.lighting, s.lighting ? 1 : 0);
    glUniform1i(at_.normalize, s.normalize ? 1 : 0);
    const MaterialState& m = *s.material;
    constexpr float kSceneAmbient = 0.2f;  // GL_LIGHT_MODEL_AMBIENT's default
    glUniform3f(at_.sceneColour, m.emission[0] + kSceneAmbient * m.ambient[0],
                m.emission[1] + kSceneAmbient * m.ambient[1],
                m.emission[2] + kSceneAmbient * m.ambient[2]);
    glUniform4fv(at_.materialAmbient, 1, m.ambient);
    glUniform4fv(at_.materialDiffuse, 1, m.diffuse);
    glUniform4fv(at_.materialSpecular, 1, m.specular);
    glUniform1f(at_.shininess, m.shininess);
    float position[kMaxLights][4], ambient[kMaxLights][4], diffuse[kMaxLights][4],
        specular[kMaxLights][4], attenuation[kMaxLights][3];
    int count = 0;
    for (int i = 0; i < kMaxLights; ++i) {
      const LightState& l = s.lights[i];
      if (!l.on) continue;
      for (int k = 0; k < 4; ++k) {
        position[count][k] = l.position[k];
        ambient[count][k] = l.ambient[k];
        diffuse[count][k] = l.diffuse[k];
        specular[count][k] = l.specular[k];
      }
      for (int k = 0; k < 3; ++k) attenuation[count][k] = l.attenuation[k];
      ++count;
    }
    glUniform1i(at_.lightCount, count);
    if (count > 0) {
      glUniform4fv(at_.lightPosition, count, &position[0][0]);
      glUniform4fv(at_.lightAmbient, count, &ambient[0][0]);
      glUniform4fv(at_.lightDiffuse, count, &diffuse[0][0]);
      glUniform4fv(at_.lightSpecular, count, &specular[0][0]);
      glUniform3fv(at_.lightAttenuation, count, &attenuation[0][0]);
    }
  }
}

bool FixedFunction::Draw(GLenum mode, const std::vector<Vertex>& vertices, const DrawState& state,
                         unsigned dirty) {
  const bool fresh = !ready_;
  if (!Prepare()) return false;
  if (vertices.empty()) return true;
  Upload(state, fresh ? kDirtyAll : dirty);
  // A new store each time, so a draw still reading the last one never stalls this one.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)),
               vertices.data(), GL_STREAM_DRAW);
  const size_t indices = TriangleIndexCount(mode, vertices.size());
  if (indices == 0) {
    glDrawArrays(mode, 0, static_cast<GLsizei>(vertices.size()));
    return true;
  }
  BindPattern(mode, indices);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices), GL_UNSIGNED_SHORT, nullptr);
  return true;
}

void FixedFunction::BindPattern(GLenum mode, size_t count) {
  const int slot = mode == kQuads ? 0 : mode == kQuadStrip ? 1 : 2;
  if (!patterns_[slot]) glGenBuffers(1, &patterns_[slot]);
  if (boundPattern_ != patterns_[slot]) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, patterns_[slot]);
    boundPattern_ = patterns_[slot];
  }
  if (count <= patternCounts_[slot]) return;
  // Grown by doubling, so a show's batches settle after a few frames.
  const size_t longest = TriangleIndexCount(mode, kMaxIndexedVertices);
  const size_t grown = std::min(std::max(count, 2 * patternCounts_[slot]), longest);
  TriangleIndices(mode, grown, &indices_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(grown * sizeof(uint16_t)),
               indices_.data(), GL_STATIC_DRAW);
  patternCounts_[slot] = grown;
}

void FixedFunction::Forget() {
  ready_ = false;
  failed_ = false;
  program_ = 0;
  buffer_ = 0;
  for (int i = 0; i < 3; ++i) {
    patterns_[i] = 0;
    patternCounts_[i] = 0;
  }
  boundPattern_ = 0;
}

}  // namespace gl11
