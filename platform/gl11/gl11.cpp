// The layer's entry points and the GL 1.1 state they keep: the current attributes, the
// open batch, the matrix stacks, the list being compiled, texture records and lights.
// ES 2 keeps the rest (blend, depth, viewport, texture objects) and is called through.
#include "platform/gl11/gl11.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gl11/batch.h"
#include "platform/gl11/display_list.h"
#include "platform/gl11/fixed_function.h"
#include "platform/gl11/gl11_enums.h"
#include "platform/gl11/matrix.h"

namespace {

using namespace gl11;

constexpr size_t kStackDepth[3] = {32, 32, 10};  // modelview, projection, texture (Mesa's)
constexpr int kMaxNesting = 64;                  // GL_MAX_LIST_NESTING

struct TextureRecord {
  int width = 0, height = 0;
  unsigned levels = 0;                         // bit n: level n has an image
  GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;  // GL's default, which needs every level
};

struct State {
  float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float texCoord[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float normal[3] = {0.0f, 0.0f, 1.0f};

  bool inBegin = false;
  GLenum beginMode = 0;
  std::vector<Vertex> batch, assembled;

  int matrixMode = 0;  // index into stacks
  std::vector<Mat4> stacks[3] = {{Identity()}, {Identity()}, {Identity()}};

  ListTable lists;
  GLuint listBase = 0;
  GLenum compileMode = 0;  // 0 while no list is open
  GLuint compileName = 0;
  DisplayList compiling;
  int replayDepth = 0;

  std::unordered_map<GLuint, TextureRecord> textures;
  GLuint boundTexture = 0;
  int npotKnown = -1;  // -1 not asked yet; else whether repeat and mipmaps work off powers of 2

  bool texturing = false;
  bool lighting = false;
  bool normalize = false;
  bool polygonSmooth = false;
  LightState lights[kMaxLights];
  MaterialState material;

  GLenum error = GL_NO_ERROR;
  unsigned dirty = kDirtyAll;
  bool lastTexturing = false;
  FixedFunction pipeline;

  State() { ResetLightsAndMaterial(); }
  void ResetLightsAndMaterial() {
    for (int i = 0; i < kMaxLights; ++i) {
      // GL_LIGHT0 is white; the others are black but for their ambient alpha.
      const float d = i == 0 ? 1.0f : 0.0f;
      lights[i] = {false,        {0, 0, 0, 1}, {d, d, d, 1},
                   {d, d, d, 1}, {0, 0, 1, 0}, {1.0f, 0.0f, 0.0f}};
    }
    material = {{0.2f, 0.2f, 0.2f, 1.0f},
                {0.8f, 0.8f, 0.8f, 1.0f},
                {0.0f, 0.0f, 0.0f, 1.0f},
                {0.0f, 0.0f, 0.0f, 1.0f},
                0.0f};
  }
};

State& S() {
  static State* state = new State();  // never destroyed: no GL calls from exit handlers
  return *state;
}

void Fail(GLenum error) {
  if (S().error == GL_NO_ERROR) S().error = error;
}

// The list being compiled, when this call is to be recorded (not while a list replays).
DisplayList* Recording() {
  State& s = S();
  return s.compileMode != 0 && s.replayDepth == 0 ? &s.compiling : nullptr;
}
bool CompileOnly() {
  return S().compileMode == kCompile && S().replayDepth == 0;
}

// Commands other than attributes are errors between glBegin and glEnd.
bool RefusedInBegin() {
  if (!S().inBegin) return false;
  Fail(GL_INVALID_OPERATION);
  return true;
}

std::vector<Mat4>& Stack() {
  return S().stacks[S().matrixMode];
}
Mat4& Top() {
  return Stack().back();
}
void MultiplyTop(const Mat4& m) {
  Top() = Multiply(Top(), m);
  S().dirty |= kDirtyMatrices;
}

bool IsPowerOfTwo(int n) {
  return n > 0 && (n & (n - 1)) == 0;
}

bool FullNpot() {
  State& s = S();
  if (s.npotKnown < 0) {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    s.npotKnown = extensions && std::strstr(extensions, "GL_OES_texture_npot") ? 1 : 0;
  }
  return s.npotKnown == 1;
}

bool MipmapFilter(GLint filter) {
  return filter != GL_NEAREST && filter != GL_LINEAR;
}

// GL 1.1 draws as if texturing were off when the bound texture is not complete.
bool TextureComplete(GLuint name) {
  const auto it = S().textures.find(name);
  if (it == S().textures.end()) return false;
  const TextureRecord& t = it->second;
  if (!(t.levels & 1u)) return false;
  if (!MipmapFilter(t.minFilter)) return true;
  if (!FullNpot() && !(IsPowerOfTwo(t.width) && IsPowerOfTwo(t.height))) return false;
  int size = t.width > t.height ? t.width : t.height;
  unsigned needed = 1;
  while (size > 1) {
    size /= 2;
    needed = (needed << 1) | 1u;
  }
  return (t.levels & needed) == needed;
}

void DrawBatch(GLenum mode, const std::vector<Vertex>& vertices) {
  State& s = S();
  const bool texturing = s.texturing && TextureComplete(s.boundTexture);
  if (texturing != s.lastTexturing) s.dirty |= kDirtyTexturing;
  const DrawState state{&s.stacks[0].back(),
                        &s.stacks[1].back(),
                        &s.stacks[2].back(),
                        texturing,
                        s.lighting,
                        s.normalize,
                        s.lights,
                        &s.material};
  if (s.pipeline.Draw(mode, vertices, state, s.dirty)) {
    s.dirty = 0;
    s.lastTexturing = texturing;
  }
}

void SendVertex(float x, float y, float z) {
  State& s = S();
  if (!s.inBegin) return;  // GL leaves a vertex outside glBegin undefined: nothing is drawn
  Vertex v;
  v.position[0] = x;
  v.position[1] = y;
  v.position[2] = z;
  std::memcpy(v.colour, s.colour, sizeof v.colour);
  std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);  // s and t
  std::memcpy(v.normal, s.normal, sizeof v.normal);
  s.batch.push_back(v);
}

void ExecuteList(GLuint name) {
  State& s = S();
  if (s.replayDepth >= kMaxNesting) return;  // a list that calls itself ends here
  const DisplayList* list = s.lists.Find(name);
  if (!list) return;
  ++s.replayDepth;
  Replay(*list);
  --s.replayDepth;
}

int LightIndex(GLenum light) {
  const int index = static_cast<int>(light) - static_cast<int>(kLight0);
  return index >= 0 && index < kMaxLights ? index : -1;
}

// The GL 1.1 internal formats this layer accepts, as the ES 2 format they name.
GLenum BaseFormat(GLint internalFormat) {
  switch (internalFormat) {
    case 1:
    case GL_LUMINANCE:
    case kLuminance8:
      return GL_LUMINANCE;
    case 2:
    case GL_LUMINANCE_ALPHA:
      return GL_LUMINANCE_ALPHA;
    case 3:
    case GL_RGB:
    case kRgb8:
      return GL_RGB;
    case 4:
    case GL_RGBA:
    case kRgba8:
      return GL_RGBA;
    case GL_ALPHA:
      return GL_ALPHA;
    default:
      return 0;
  }
}

// The switch the layer keeps for a capability ES 2 lacks, or null.
bool* LayerCapability(GLenum cap) {
  State& s = S();
  const int light = LightIndex(cap);
  if (light >= 0) return &s.lights[light].on;
  switch (cap) {
    case GL_TEXTURE_2D:
      return &s.texturing;
    case kLighting:
      return &s.lighting;
    case kNormalize:
      return &s.normalize;
    case kPolygonSmooth:  // kept for glIsEnabled; ES 2 has no polygon antialiasing
      return &s.polygonSmooth;
    default:
      return nullptr;
  }
}

// Capabilities ES 2 has as GL 1.1 does.
bool EsCapability(GLenum cap) {
  switch (cap) {
    case GL_BLEND:
    case GL_DEPTH_TEST:
    case GL_CULL_FACE:
    case GL_SCISSOR_TEST:
    case GL_DITHER:
    case GL_POLYGON_OFFSET_FILL:
      return true;
    default:
      return false;
  }
}

void SetCapability(GLenum cap, bool on) {
  if (DisplayList* list = Recording()) {
    list->Add(on ? Op::kEnable : Op::kDisable, cap);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  if (bool* flag = LayerCapability(cap)) {
    *flag = on;
    S().dirty |= cap == GL_TEXTURE_2D ? kDirtyTexturing : kDirtyLighting;
  } else if (EsCapability(cap)) {
    if (on) {
      glEnable(cap);
    } else {
      glDisable(cap);
    }
  } else {
    Fail(GL_INVALID_ENUM);
  }
}

}  // namespace

// Immediate mode.

void gl11Begin(unsigned mode) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kBegin, mode);
    if (CompileOnly()) return;
  }
  State& s = S();
  if (s.inBegin) return Fail(GL_INVALID_OPERATION);
  if (!IsBeginMode(mode)) return Fail(GL_INVALID_ENUM);
  s.inBegin = true;
  s.beginMode = mode;
  s.batch.clear();
}

void gl11End() {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kEnd);
    if (CompileOnly()) return;
  }
  State& s = S();
  if (!s.inBegin) return Fail(GL_INVALID_OPERATION);
  s.inBegin = false;
  // Quads, strips and polygons go as sent, drawn through their index pattern.
  if (TriangleIndexCount(s.beginMode, s.batch.size()) > 0) return DrawBatch(s.beginMode, s.batch);
  const GLenum mode = AssembleBatch(s.beginMode, s.batch, &s.assembled);
  if (!s.assembled.empty()) DrawBatch(mode, s.assembled);
}

void gl11Vertex3f(float x, float y, float z) {
  if (DisplayList* list = Recording()) {
    const float v[3] = {x, y, z};
    list->AddFloats(Op::kVertex, 0, 0, v, 3);
    if (CompileOnly()) return;
  }
  SendVertex(x, y, z);
}

void gl11Vertex2f(float x, float y) {
  gl11Vertex3f(x, y, 0.0f);
}

void gl11Vertex2i(int x, int y) {
  gl11Vertex3f(static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void gl11TexCoord2f(float s, float t) {
  if (DisplayList* list = Recording()) {
    const float v[2] = {s, t};
    list->AddFloats(Op::kTexCoord, 0, 0, v, 2);
    if (CompileOnly()) return;
  }
  float* c = S().texCoord;
  c[0] = s;
  c[1] = t;
  c[2] = 0.0f;
  c[3] = 1.0f;
}

void gl11Normal3f(float x, float y, float z) {
  if (DisplayList* list = Recording()) {
    const float v[3] = {x, y, z};
    list->AddFloats(Op::kNormal, 0, 0, v, 3);
    if (CompileOnly()) return;
  }
  float* n = S().normal;
  n[0] = x;
  n[1] = y;
  n[2] = z;
}

void gl11Color4f(float r, float g, float b, float a) {
  if (DisplayList* list = Recording()) {
    const float v[4] = {r, g, b, a};
    list->AddFloats(Op::kColour, 0, 0, v, 4);
    if (CompileOnly()) return;
  }
  float* c = S().colour;
  c[0] = r;
  c[1] = g;
  c[2] = b;
  c[3] = a;
}

void gl11Color3f(float r, float g, float b) {
  gl11Color4f(r, g, b, 1.0f);
}

void gl11Color4ub(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
  constexpr float kScale = 1.0f / 255.0f;
  gl11Color4f(r * kScale, g * kScale, b * kScale, a * kScale);
}

// Matrices.

void gl11MatrixMode(unsigned mode) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kMatrixMode, mode);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  switch (mode) {
    case kModelview:
      S().matrixMode = 0;
      break;
    case kProjection:
      S().matrixMode = 1;
      break;
    case kTexture:
      S().matrixMode = 2;
      break;
    default:
      Fail(GL_INVALID_ENUM);
  }
}

void gl11LoadIdentity() {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kLoadIdentity);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  Top() = Identity();
  S().dirty |= kDirtyMatrices;
}

void gl11LoadMatrixf(const float* m) {
  if (!m) return;
  if (DisplayList* list = Recording()) {
    list->AddFloats(Op::kLoadMatrix, 0, 0, m, 16);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  std::memcpy(Top().m, m, sizeof(Mat4::m));
  S().dirty |= kDirtyMatrices;
}

void gl11MultMatrixf(const float* m) {
  if (!m) return;
  if (DisplayList* list = Recording()) {
    list->AddFloats(Op::kMultMatrix, 0, 0, m, 16);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  Mat4 factor;
  std::memcpy(factor.m, m, sizeof factor.m);
  MultiplyTop(factor);
}

void gl11MultMatrixd(const double* m) {
  if (!m) return;
  // GL keeps single-precision matrices: the doubles are narrowed first.
  float narrowed[16];
  for (int i = 0; i < 16; ++i) narrowed[i] = static_cast<float>(m[i]);
  gl11MultMatrixf(narrowed);
}

void gl11PushMatrix() {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kPushMatrix);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  if (Stack().size() >= kStackDepth[S().matrixMode]) return Fail(kStackOverflow);
  Stack().push_back(Top());
}

void gl11PopMatrix() {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kPopMatrix);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  if (Stack().size() <= 1) return Fail(kStackUnderflow);
  Stack().pop_back();
  S().dirty |= kDirtyMatrices;
}

void gl11Translatef(float x, float y, float z) {
  if (DisplayList* list = Recording()) {
    const float v[3] = {x, y, z};
    list->AddFloats(Op::kTranslate, 0, 0, v, 3);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  MultiplyTop(Translation(x, y, z));
}

void gl11Translated(double x, double y, double z) {
  gl11Translatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void gl11Rotatef(float angle, float x, float y, float z) {
  if (DisplayList* list = Recording()) {
    const float v[4] = {angle, x, y, z};
    list->AddFloats(Op::kRotate, 0, 0, v, 4);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  MultiplyTop(Rotation(angle, x, y, z));
}

void gl11Scalef(float x, float y, float z) {
  if (DisplayList* list = Recording()) {
    const float v[3] = {x, y, z};
    list->AddFloats(Op::kScale, 0, 0, v, 3);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  MultiplyTop(Scaling(x, y, z));
}

void gl11Ortho(double left, double right, double bottom, double top, double zNear, double zFar) {
  Mat4 m;
  if (!Ortho(left, right, bottom, top, zNear, zFar, &m)) return Fail(GL_INVALID_VALUE);
  gl11MultMatrixf(m.m);
}

void gl11Frustum(double left, double right, double bottom, double top, double zNear, double zFar) {
  Mat4 m;
  if (!Frustum(left, right, bottom, top, zNear, zFar, &m)) return Fail(GL_INVALID_VALUE);
  gl11MultMatrixf(m.m);
}

// Display lists.

unsigned gl11GenLists(int range) {
  if (RefusedInBegin()) return 0;
  if (range < 0) {
    Fail(GL_INVALID_VALUE);
    return 0;
  }
  return S().lists.Generate(range);
}

void gl11DeleteLists(unsigned list, int range) {
  if (RefusedInBegin()) return;
  if (range < 0) return Fail(GL_INVALID_VALUE);
  S().lists.Delete(list, range);
}

unsigned char gl11IsList(unsigned list) {
  if (RefusedInBegin()) return 0;
  return S().lists.Exists(list) ? 1 : 0;
}

void gl11NewList(unsigned list, unsigned mode) {
  State& s = S();
  if (RefusedInBegin()) return;
  if (list == 0) return Fail(GL_INVALID_VALUE);
  if (mode != kCompile && mode != kCompileAndExecute) return Fail(GL_INVALID_ENUM);
  if (s.compileMode != 0) return Fail(GL_INVALID_OPERATION);
  s.compileMode = mode;
  s.compileName = list;
  s.compiling = DisplayList();
}

void gl11EndList() {
  State& s = S();
  if (RefusedInBegin()) return;
  if (s.compileMode == 0) return Fail(GL_INVALID_OPERATION);
  // The list is replaced only now: until then a call runs its old contents.
  s.lists.Replace(s.compileName, std::move(s.compiling));
  s.compiling = DisplayList();
  s.compileMode = 0;
  s.compileName = 0;
}

void gl11CallList(unsigned list) {
  if (DisplayList* open = Recording()) {
    open->Add(Op::kCallList, list);
    if (CompileOnly()) return;
  }
  ExecuteList(list);
}

void gl11CallLists(int n, unsigned type, const void* lists) {
  if (n < 0) return Fail(GL_INVALID_VALUE);
  if (n == 0 || !lists) return;
  std::vector<int32_t> values(static_cast<size_t>(n));
  const auto* bytes = static_cast<const uint8_t*>(lists);
  for (int i = 0; i < n; ++i) {
    int32_t v = 0;
    switch (type) {
      case GL_BYTE:
        v = static_cast<const int8_t*>(lists)[i];
        break;
      case GL_UNSIGNED_BYTE:
        v = bytes[i];
        break;
      case GL_SHORT:
        v = static_cast<const int16_t*>(lists)[i];
        break;
      case GL_UNSIGNED_SHORT:
        v = static_cast<const uint16_t*>(lists)[i];
        break;
      case GL_INT:
        v = static_cast<const int32_t*>(lists)[i];
        break;
      case GL_UNSIGNED_INT:
        v = static_cast<int32_t>(static_cast<const uint32_t*>(lists)[i]);
        break;
      case GL_FLOAT:
        v = static_cast<int32_t>(static_cast<const float*>(lists)[i]);
        break;
      case k2Bytes:
        v = bytes[2 * i] << 8 | bytes[2 * i + 1];
        break;
      case k3Bytes:
        v = bytes[3 * i] << 16 | bytes[3 * i + 1] << 8 | bytes[3 * i + 2];
        break;
      case k4Bytes:
        v = static_cast<int32_t>(static_cast<uint32_t>(bytes[4 * i]) << 24 |
                                 bytes[4 * i + 1] << 16 | bytes[4 * i + 2] << 8 | bytes[4 * i + 3]);
        break;
      default:
        return Fail(GL_INVALID_ENUM);
    }
    values[i] = v;
  }
  if (DisplayList* open = Recording()) {
    open->AddInts(Op::kCallLists, 0, 0, values.data(), static_cast<uint32_t>(n));
    if (CompileOnly()) return;
  }
  // The base is read when the lists run, so a recorded call uses the base of its replay.
  for (const int32_t v : values) ExecuteList(S().listBase + static_cast<GLuint>(v));
}

void gl11ListBase(unsigned base) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kListBase, base);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  S().listBase = base;
}

// Textures.

void gl11GenTextures(int n, unsigned* textures) {
  if (RefusedInBegin()) return;
  if (n < 0) return Fail(GL_INVALID_VALUE);
  if (n == 0 || !textures) return;
  glGenTextures(n, textures);
}

void gl11DeleteTextures(int n, const unsigned* textures) {
  if (RefusedInBegin()) return;
  if (n < 0) return Fail(GL_INVALID_VALUE);
  if (n == 0 || !textures) return;
  State& s = S();
  for (int i = 0; i < n; ++i) {
    if (textures[i] == 0) continue;
    s.textures.erase(textures[i]);
    if (s.boundTexture == textures[i]) s.boundTexture = 0;
  }
  glDeleteTextures(n, textures);
  s.dirty |= kDirtyTexturing;
}

void gl11BindTexture(unsigned target, unsigned texture) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kBindTexture, target, texture);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  if (target != GL_TEXTURE_2D) return Fail(GL_INVALID_ENUM);
  S().boundTexture = texture;
  glBindTexture(GL_TEXTURE_2D, texture);
  S().dirty |= kDirtyTexturing;
}

void gl11TexImage2D(unsigned target, int level, int internalFormat, int width, int height,
                    int border, unsigned format, unsigned type, const void* pixels) {
  if (RefusedInBegin()) return;
  if (target != GL_TEXTURE_2D) return Fail(GL_INVALID_ENUM);
  const GLenum base = BaseFormat(internalFormat);
  if (base == 0) return Fail(GL_INVALID_VALUE);
  // ES 2 stores the data's own format: an internal format that differs would need a
  // conversion this layer does not make.
  if (base != format) return Fail(GL_INVALID_OPERATION);
  if (level < 0 || level > 31 || width < 0 || height < 0 || border != 0) {
    return Fail(GL_INVALID_VALUE);
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(format), width, height, 0, format, type,
               pixels);
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) return Fail(error);
  State& s = S();
  TextureRecord& t = s.textures[s.boundTexture];
  if (level == 0) {
    t.width = width;
    t.height = height;
    t.levels = 0;
  }
  t.levels |= 1u << level;
  if (level == 0 && !FullNpot() && !(IsPowerOfTwo(width) && IsPowerOfTwo(height))) {
    // Without full NPOT support only clamped, unmipmapped sampling of such a size works.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  s.dirty |= kDirtyTexturing;
}

void gl11TexParameteri(unsigned target, unsigned name, int value) {
  if (DisplayList* list = Recording()) {
    const int32_t v = value;
    list->AddInts(Op::kTexParameter, target, name, &v, 1);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  if (target != GL_TEXTURE_2D) return Fail(GL_INVALID_ENUM);
  State& s = S();
  const auto it = s.textures.find(s.boundTexture);
  const bool npotImage = it != s.textures.end() && !FullNpot() &&
                         !(IsPowerOfTwo(it->second.width) && IsPowerOfTwo(it->second.height));
  if (npotImage && (name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T)) return;
  while (glGetError() != GL_NO_ERROR) {
  }
  glTexParameteri(GL_TEXTURE_2D, name, value);
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) return Fail(error);
  if (name == GL_TEXTURE_MIN_FILTER) s.textures[s.boundTexture].minFilter = value;
  s.dirty |= kDirtyTexturing;
}

void gl11PixelStorei(unsigned name, int value) {
  if (RefusedInBegin()) return;
  glPixelStorei(name, value);
}

// Render state.

void gl11Enable(unsigned cap) {
  SetCapability(cap, true);
}

void gl11Disable(unsigned cap) {
  SetCapability(cap, false);
}

unsigned char gl11IsEnabled(unsigned cap) {
  if (RefusedInBegin()) return 0;
  if (bool* flag = LayerCapability(cap)) return *flag ? 1 : 0;
  if (EsCapability(cap)) return glIsEnabled(cap);
  Fail(GL_INVALID_ENUM);
  return 0;
}

void gl11BlendFunc(unsigned source, unsigned destination) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kBlendFunc, source, destination);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glBlendFunc(source, destination);
}

void gl11DepthFunc(unsigned func) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kDepthFunc, func);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glDepthFunc(func);
}

void gl11DepthMask(unsigned char flag) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kDepthMask, flag);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glDepthMask(flag);
}

void gl11ShadeModel(unsigned mode) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kShadeModel, mode);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  // Smooth shading is ES 2's only kind; flat shading is not provided.
  if (mode != kSmooth) Fail(GL_INVALID_ENUM);
}

void gl11Hint(unsigned target, unsigned mode) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kHint, target, mode);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE) {
    return Fail(GL_INVALID_ENUM);
  }
  switch (target) {
    case kPerspectiveCorrectionHint:  // ES 2 always interpolates with perspective
    case kPointSmoothHint:
    case kLineSmoothHint:
    case kPolygonSmoothHint:
      return;
    case GL_GENERATE_MIPMAP_HINT:
      glHint(target, mode);
      return;
    default:
      Fail(GL_INVALID_ENUM);
  }
}

void gl11ClearColor(float r, float g, float b, float a) {
  if (DisplayList* list = Recording()) {
    const float v[4] = {r, g, b, a};
    list->AddFloats(Op::kClearColour, 0, 0, v, 4);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glClearColor(r, g, b, a);
}

void gl11ClearDepth(double depth) {
  if (DisplayList* list = Recording()) {
    const float v = static_cast<float>(depth);
    list->AddFloats(Op::kClearDepth, 0, 0, &v, 1);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glClearDepthf(static_cast<GLfloat>(depth));
}

void gl11Clear(unsigned mask) {
  if (DisplayList* list = Recording()) {
    list->Add(Op::kClear, mask);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glClear(mask);
}

void gl11Viewport(int x, int y, int width, int height) {
  if (DisplayList* list = Recording()) {
    const int32_t v[4] = {x, y, width, height};
    list->AddInts(Op::kViewport, 0, 0, v, 4);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  glViewport(x, y, width, height);
}

// Lights and materials.

void gl11Lightfv(unsigned light, unsigned name, const float* params) {
  if (!params) return;
  if (DisplayList* list = Recording()) {
    list->AddFloats(Op::kLight, light, name, params, 4);
    if (CompileOnly()) return;
  }
  if (RefusedInBegin()) return;
  const int index = LightIndex(light);
  if (index < 0) return Fail(GL_INVALID_ENUM);
  LightState& l = S().lights[index];
  switch (name) {
    case kAmbient:
      std::memcpy(l.ambient, params, sizeof l.ambient);
      break;
    case kDiffuse:
      std::memcpy(l.diffuse, params, sizeof l.diffuse);
      break;
    case kSpecular:
      std::memcpy(l.specular, params, sizeof l.specular);
      break;
    case kPosition:
      // Fixed in eye space by the modelview matrix of this moment.
      Transform(S().stacks[0].back(), params, l.position);
      break;
    case kConstantAttenuation:
    case kLinearAttenuation:
    case kQuadraticAttenuation:
      if (params[0] < 0.0f) return Fail(GL_INVALID_VALUE);
      l.attenuation[name - kConstantAttenuation] = params[0];
      break;
    default:
      return Fail(GL_INVALID_ENUM);
  }
  S().dirty |= kDirtyLighting;
}

void gl11Materialfv(unsigned face, unsigned name, const float* params) {
  if (!params) return;
  if (DisplayList* list = Recording()) {
    list->AddFloats(Op::kMaterial, face, name, params, 4);
    if (CompileOnly()) return;
  }
  if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) {
    return Fail(GL_INVALID_ENUM);
  }
  MaterialState& m = S().material;
  float* targets[2] = {nullptr, nullptr};
  switch (name) {
    case kAmbient:
      targets[0] = m.ambient;
      break;
    case kDiffuse:
      targets[0] = m.diffuse;
      break;
    case kAmbientAndDiffuse:
      targets[0] = m.ambient;
      targets[1] = m.diffuse;
      break;
    case kSpecular:
      targets[0] = m.specular;
      break;
    case kEmission:
      targets[0] = m.emission;
      break;
    case kShininess:
      if (params[0] < 0.0f || params[0] > 128.0f) return Fail(GL_INVALID_VALUE);
      break;
    default:
      return Fail(GL_INVALID_ENUM);
  }
  // One-sided lighting lights every face with the front material; the back one is unused.
  if (face == GL_BACK) return;
  if (name == kShininess) m.shininess = params[0];
  for (float* target : targets) {
    if (target) std::memcpy(target, params, 4 * sizeof(float));
  }
  S().dirty |= kDirtyLighting;
}

// Queries and synchronisation.

unsigned gl11GetError() {
  if (S().inBegin) return GL_INVALID_OPERATION;
  const GLenum error = S().error;
  if (error != GL_NO_ERROR) {
    S().error = GL_NO_ERROR;
    return error;
  }
  return glGetError();
}

void gl11GetIntegerv(unsigned name, int* params) {
  if (!params || RefusedInBegin()) return;
  const State& s = S();
  switch (name) {
    case kMatrixMode:
      *params = static_cast<int>(s.matrixMode == 0   ? kModelview
                                 : s.matrixMode == 1 ? kProjection
                                                     : kTexture);
      return;
    case kModelviewStackDepth:
    case kProjectionStackDepth:
    case kTextureStackDepth:
      *params = static_cast<int>(s.stacks[name - kModelviewStackDepth].size());
      return;
    case kListBase:
      *params = static_cast<int>(s.listBase);
      return;
    case kListIndex:
      *params = static_cast<int>(s.compileName);
      return;
    case kListMode:
      *params = static_cast<int>(s.compileMode);
      return;
    case kMaxListNesting:
      *params = kMaxNesting;
      return;
    case kTextureBinding2D:
      *params = static_cast<int>(s.boundTexture);
      return;
    default:
      glGetIntegerv(name, params);
  }
}

void gl11GetFloatv(unsigned name, float* params) {
  if (!params || RefusedInBegin()) return;
  const State& s = S();
  switch (name) {
    case kModelviewMatrix:
    case kProjectionMatrix:
    case kTextureMatrix:
      std::memcpy(params, s.stacks[name - kModelviewMatrix].back().m, sizeof(Mat4::m));
      return;
    case kCurrentColor:
      std::memcpy(params, s.colour, sizeof s.colour);
      return;
    case kCurrentNormal:
      std::memcpy(params, s.normal, sizeof s.normal);
      return;
    case kCurrentTextureCoords:
      std::memcpy(params, s.texCoord, sizeof s.texCoord);
      return;
    default:
      glGetFloatv(name, params);
  }
}

void gl11Flush() {
  if (RefusedInBegin()) return;
  glFlush();
}

void gl11Finish() {
  if (RefusedInBegin()) return;
  glFinish();
}

void gl11ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type,
                    void* pixels) {
  if (RefusedInBegin()) return;
  glReadPixels(x, y, width, height, format, type, pixels);
}

void gl11Reset() {
  State& s = S();
  s.pipeline.Forget();
  s = State();
}
