// Reading glTF 2.0 into the one mesh: tinygltf parses the JSON and gathers the buffers;
// every accessor is then read here with its bounds checked, each node's meshes placed by
// their world transform, since the viewer draws one mesh in model space.
#include "tools/model_readers/gltf_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <type_traits>
#include <vector>

#include "tools/model_readers/mesh_parts.h"
#include "tools/model_readers/obj_text.h"
#include "tools/model_readers/tiny_gltf_config.h"

namespace {

using Matrix = std::array<double, 16>;  // column-major, as glTF writes them
constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr size_t kMostElements = size_t{1} << 28;  // an accessor beyond this is refused
constexpr int kMostDepth = 64;                     // nodes deeper than this are a loop

// What the extensions this reader draws, or may leave out without drawing wrongly, are.
const char* const kKnownExtensions[] = {"KHR_texture_transform", "KHR_materials_unlit",
                                        "KHR_mesh_quantization"};

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
      m[c * 4 + r] = sum;
    }
  }
  return m;
}

// The node's local transform: its matrix, or translation x rotation x scale.
Matrix LocalTransform(const tinygltf::Node& node) {
  if (node.matrix.size() == 16) {
    Matrix m;
    std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
    return m;
  }
  double t[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
  if (node.translation.size() == 3) std::copy_n(node.translation.begin(), 3, t);
  if (node.rotation.size() == 4) std::copy_n(node.rotation.begin(), 4, q);
  if (node.scale.size() == 3) std::copy_n(node.scale.begin(), 3, s);
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (length > 0) {
    for (double& v : q) v /= length;
  }
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                       2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                       2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
  Matrix m = kIdentity;
  for (int c = 0; c < 3; ++c) {
    for (int row = 0; row < 3; ++row) m[c * 4 + row] = r[c * 3 + row] * s[c];
  }
  m[12] = t[0], m[13] = t[1], m[14] = t[2];
  return m;
}

// The inverse transpose of the upper 3 x 3, for normals (up to scale), and its determinant.
std::array<double, 9> NormalMatrix(const Matrix& m, double* determinant) {
  const auto a = [&m](int row, int col) { return m[col * 4 + row]; };
  std::array<double, 9> n;  // cofactors, row-major: n[r * 3 + c] = cofactor(r, c)
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      n[r * 3 + c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
    }
  }
  *determinant = a(0, 0) * n[0] + a(0, 1) * n[1] + a(0, 2) * n[2];
  return n;  // the cofactor matrix is the inverse transpose times the determinant
}

// A component's value, normalized to -1..1 or 0..1 where the accessor says so.
template <int kType>
double ComponentOf(const unsigned char* p, bool normalized) {
  switch (kType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
      const double v = static_cast<int8_t>(p[0]);
      return normalized ? std::max(v / 127.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return normalized ? p[0] / 255.0 : p[0];
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return normalized ? std::max(v / 32767.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return normalized ? v / 65535.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_INT: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return normalized ? v / 4294967295.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
      float v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return 0;
  }
}

// Calls `each` with the component type as a constant, so that a loop over an accessor's
// elements is made once for each type instead of asking the type at every component.
template <typename Each>
void ForComponentType(int type, Each each) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_BYTE>());
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE>());
    case TINYGLTF_COMPONENT_TYPE_SHORT:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_SHORT>());
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT>());
    case TINYGLTF_COMPONENT_TYPE_INT:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_INT>());
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT>());
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
      return each(std::integral_constant<int, TINYGLTF_COMPONENT_TYPE_FLOAT>());
    default:
      return each(std::integral_constant<int, 0>());
  }
}

double Component(const unsigned char* p, int type, bool normalized) {
  double value = 0;
  ForComponentType(type,
                   [&](auto kind) { value = ComponentOf<decltype(kind)::value>(p, normalized); });
  return value;
}

// What an image the callback saw held: its encoded bytes, by image number.
struct ImageStore {
  const tinygltf::Model* model = nullptr;
  std::map<int, std::shared_ptr<const std::string>> bytes;
  std::string error;
};

// tinygltf's image callback: keeps the encoded bytes (a data URI's, a buffer view's) for
// the viewer to decode; a buffer view outside its buffer is refused here, before any read.
bool KeepImage(tinygltf::Image* image, const int index, std::string* err, std::string*, int, int,
               const unsigned char* bytes, int size, void* user) {
  ImageStore* store = static_cast<ImageStore*>(user);
  if (image->bufferView >= 0) {
    const auto& views = store->model->bufferViews;
    const bool viewOk = static_cast<size_t>(image->bufferView) < views.size();
    const tinygltf::BufferView* view = viewOk ? &views[image->bufferView] : nullptr;
    const auto& buffers = store->model->buffers;
    if (!view || view->buffer < 0 || static_cast<size_t>(view->buffer) >= buffers.size() ||
        view->byteOffset > buffers[view->buffer].data.size() ||
        view->byteLength > buffers[view->buffer].data.size() - view->byteOffset) {
      if (err)
        *err += "image " + std::to_string(index) + ": its bufferView lies outside its buffer";
      return false;
    }
  }
  if (size > 0) {
    store->bytes[index] = std::make_shared<const std::string>(reinterpret_cast<const char*>(bytes),
                                                              static_cast<size_t>(size));
  }
  return true;
}

// "%20" and the like in a URI naming a file.
std::string DecodeUri(const std::string& uri) {
  std::string out;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      out += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += uri[i];
    }
  }
  return out;
}

// One line of tinygltf's messages, which come one a line.
std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ';';
  }
  return PrintableText(text, 200);
}

// The uv transform of KHR_texture_transform: scale, then rotate, then offset.
struct UvTransform {
  double offset[2] = {0, 0}, scale[2] = {1, 1}, rotation = 0;
  bool any = false;

  void Apply(float* u, float* v) const {
    const double x = *u * scale[0], y = *v * scale[1];
    const double c = std::cos(rotation), s = std::sin(rotation);
    *u = ToFloat(c * x + s * y + offset[0]);
    *v = ToFloat(-s * x + c * y + offset[1]);
  }
};

// What makes a primitive's vertices the same as another's: its node (the placement), its
// attributes' accessors and its picture transform (a glTF material, -1 for none).
struct VertexKey {
  int node, position, normal, uv, colour, transform;
  bool operator<(const VertexKey& o) const {
    return std::tie(node, position, normal, uv, colour, transform) <
           std::tie(o.node, o.position, o.normal, o.uv, o.colour, o.transform);
  }
};

// Where a primitive's vertices are in the mesh (-1: it has no normals, no uvs).
struct VertexRun {
  size_t vertices = 0;
  int32_t base = 0, normalBase = -1, uvBase = -1;
};

class GltfReader {
 public:
  GltfReader(const tinygltf::Model& model, const ImageStore& images, const std::string& folder,
             const std::string& name, ObjMesh* mesh, std::string* error,
             IndexedMesh* direct = nullptr)
      : model_(model),
        images_(images),
        folder_(folder),
        name_(name),
        mesh_(mesh),
        error_(error),
        direct_(direct) {}

  // Reading straight into the arrays stopped at something only the corner-by-corner path
  // draws as it should (see ReadGltf): read again without them.
  bool NeedsCorners() const { return needsCorners_; }

  bool Run() {
    for (const std::string& required : model_.extensionsRequired) {
      if (std::find(std::begin(kKnownExtensions), std::end(kKnownExtensions), required) ==
          std::end(kKnownExtensions)) {
        *error_ = "needs the extension " + PrintableText(required, 60) +
                  ", which this reader does not decode";
        return false;
      }
    }
    if (!model_.skins.empty() || !model_.animations.empty() || HasMorphTargets()) {
      Note("skins, morph targets and animations are drawn in their rest pose");
    }
    std::vector<int> roots;
    if (model_.defaultScene >= 0 &&
        static_cast<size_t>(model_.defaultScene) < model_.scenes.size()) {
      roots = model_.scenes[model_.defaultScene].nodes;
    } else {
      std::vector<bool> child(model_.nodes.size(), false);
      for (const tinygltf::Node& node : model_.nodes) {
        for (int c : node.children) {
          if (c >= 0 && static_cast<size_t>(c) < child.size()) child[c] = true;
        }
      }
      for (size_t n = 0; n < model_.nodes.size(); ++n) {
        if (!child[n]) roots.push_back(static_cast<int>(n));
      }
    }
    if (direct_) direct_->indices.reserve(IndicesOfEachMeshOnce());
    for (int root : roots) {
      if (!Node(root, kIdentity, 0)) return false;
    }
    if (mesh_->materialList.empty()) DefaultMaterial();
    if (direct_) {
      if (std::find(used_.begin(), used_.end(), 0) != used_.end()) return Corners();
      for (size_t v = 0; v < used_.size(); ++v) {
        if (used_[v] != kTurned) continue;
        for (float& c : direct_->vertices[v].normal) c = -c;
      }
      GroupByMaterial(runsOut_, mesh_->materialList.size(), direct_);
      direct_->objects = direct_->indices.empty() ? 0 : static_cast<int>(directStarts_.size()) + 1;
    }
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    *error_ = what;
    return false;
  }
  bool Corners() {
    needsCorners_ = true;
    return false;
  }
  void Note(const std::string& what) {
    if (noted_.insert(what).second) mesh_->notes.push_back(what);
  }
  // The vertex numbers of every mesh drawn once, for the arrays' first size (a strip's or
  // fan's at most three an index).
  size_t IndicesOfEachMeshOnce() const {
    size_t total = 0;
    for (const tinygltf::Mesh& m : model_.meshes) {
      for (const tinygltf::Primitive& p : m.primitives) {
        const auto position = p.attributes.find("POSITION");
        const int accessor = p.indices >= 0                   ? p.indices
                             : position != p.attributes.end() ? position->second
                                                              : -1;
        if (accessor < 0 || static_cast<size_t>(accessor) >= model_.accessors.size()) continue;
        const size_t count = std::min(model_.accessors[accessor].count, kMostElements);
        total += p.mode == TINYGLTF_MODE_TRIANGLE_STRIP || p.mode == TINYGLTF_MODE_TRIANGLE_FAN
                     ? 3 * count
                     : count;
      }
    }
    return std::min(total, kMostElements);
  }
  bool HasMorphTargets() const {
    for (const tinygltf::Mesh& m : model_.meshes) {
      for (const tinygltf::Primitive& p : m.primitives) {
        if (!p.targets.empty()) return true;
      }
    }
    return false;
  }

  bool Node(int index, const Matrix& parent, int depth) {
    if (index < 0 || static_cast<size_t>(index) >= model_.nodes.size()) {
      return Fail("node " + std::to_string(index) + " does not exist");
    }
    if (depth > kMostDepth) return Fail("node " + std::to_string(index) + " is its own ancestor");
    const tinygltf::Node& node = model_.nodes[index];
    const Matrix world = Multiply(parent, LocalTransform(node));
    if (node.mesh >= 0) {
      if (static_cast<size_t>(node.mesh) >= model_.meshes.size()) {
        return Fail("node " + std::to_string(index) + ": mesh " + std::to_string(node.mesh) +
                    " does not exist");
      }
      std::vector<uint32_t>& starts = direct_ ? directStarts_ : mesh_->groupStarts;
      const uint32_t faces =
          static_cast<uint32_t>(direct_ ? direct_->indices.size() / 3 : mesh_->Faces());
      if (faces > (starts.empty() ? 0 : starts.back())) starts.push_back(faces);
      const tinygltf::Mesh& m = model_.meshes[node.mesh];
      for (size_t p = 0; p < m.primitives.size(); ++p) {
        where_ = "mesh " + std::to_string(node.mesh) + " primitive " + std::to_string(p);
        node_ = index;
        if (!Primitive(m.primitives[p], world)) return false;
      }
    }
    for (int child : node.children) {
      if (!Node(child, world, depth + 1)) return false;
    }
    return true;
  }

  // Reads accessor `index` as `width` components an element, through `store` (element,
  // component, value); sparse substitutions included. False for an accessor that is not
  // there, not of that width, or reaches outside its buffer.
  template <typename Store>
  bool Accessor(int index, int width, const char* what, size_t* count, Store store) {
    const std::string name = "accessor " + std::to_string(index) + " (" + what + ")";
    if (index < 0 || static_cast<size_t>(index) >= model_.accessors.size()) {
      return Fail(where_ + ": " + name + " does not exist");
    }
    const tinygltf::Accessor& a = model_.accessors[index];
    const int components = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type));
    const int size = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(a.componentType));
    if (components != width && !(width == 4 && components == 3)) {
      return Fail(name + ": " + std::to_string(components) + " components, not " +
                  std::to_string(width));
    }
    if (size <= 0 || a.componentType == TINYGLTF_COMPONENT_TYPE_DOUBLE) {
      return Fail(name + ": unknown component type " + std::to_string(a.componentType));
    }
    if (a.count > kMostElements) return Fail(name + ": too many elements");
    *count = a.count;
    const size_t element = static_cast<size_t>(size) * components;
    if (a.bufferView >= 0) {
      const unsigned char* data = nullptr;
      size_t length = 0, stride = element;
      if (!View(a.bufferView, name, &data, &length)) return false;
      const int viewStride = model_.bufferViews[a.bufferView].byteStride;
      if (viewStride > 0) stride = static_cast<size_t>(viewStride);
      if (a.count > 0 &&
          (a.byteOffset > length || length - a.byteOffset < element || stride < element ||
           (length - a.byteOffset - element) / stride < a.count - 1)) {
        return Fail(name + ": " + std::to_string(a.count) +
                    " elements reach beyond its bufferView " + std::to_string(a.bufferView) + " (" +
                    std::to_string(length) + " bytes)");
      }
      ForComponentType(a.componentType, [&](auto kind) {
        for (size_t e = 0; e < a.count; ++e) {
          const unsigned char* p = data + a.byteOffset + e * stride;
          for (int c = 0; c < components; ++c) {
            store(e, c, ComponentOf<decltype(kind)::value>(p + c * size, a.normalized));
          }
        }
      });
    } else {
      for (size_t e = 0; e < a.count; ++e) {
        for (int c = 0; c < components; ++c) store(e, c, 0.0);
      }
    }
    if (a.sparse.isSparse) return Sparse(a, name, components, size, store);
    return true;
  }

  template <typename Store>
  bool Sparse(const tinygltf::Accessor& a, const std::string& name, int components, int size,
              Store store) {
    const int indexSize =
        tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(a.sparse.indices.componentType));
    const int indexType = a.sparse.indices.componentType;
    if (a.sparse.count < 0 || static_cast<size_t>(a.sparse.count) > a.count ||
        (indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
         indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
         indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) ||
        a.sparse.indices.byteOffset < 0 || a.sparse.values.byteOffset < 0) {
      return Fail(name + ": bad sparse substitution");
    }
    const size_t n = static_cast<size_t>(a.sparse.count);
    const unsigned char *indices = nullptr, *values = nullptr;
    size_t indexLength = 0, valueLength = 0;
    if (!View(a.sparse.indices.bufferView, name, &indices, &indexLength) ||
        !View(a.sparse.values.bufferView, name, &values, &valueLength)) {
      return false;
    }
    const size_t indexOffset = static_cast<size_t>(a.sparse.indices.byteOffset);
    const size_t valueOffset = static_cast<size_t>(a.sparse.values.byteOffset);
    const size_t element = static_cast<size_t>(size) * components;
    if (indexOffset > indexLength || (indexLength - indexOffset) / indexSize < n ||
        valueOffset > valueLength || (valueLength - valueOffset) / element < n) {
      return Fail(name + ": its sparse substitution reaches beyond its bufferViews");
    }
    for (size_t i = 0; i < n; ++i) {
      const double target =
          Component(indices + indexOffset + i * indexSize, a.sparse.indices.componentType, false);
      if (!(target >= 0 && target < static_cast<double>(a.count))) {
        return Fail(name + ": sparse index " + std::to_string(static_cast<long long>(target)) +
                    " is beyond its " + std::to_string(a.count) + " elements");
      }
      const unsigned char* p = values + valueOffset + i * element;
      for (int c = 0; c < components; ++c) {
        store(static_cast<size_t>(target), c,
              Component(p + c * size, a.componentType, a.normalized));
      }
    }
    return true;
  }

  bool View(int index, const std::string& name, const unsigned char** data, size_t* length) {
    if (index < 0 || static_cast<size_t>(index) >= model_.bufferViews.size()) {
      return Fail(name + ": bufferView " + std::to_string(index) + " does not exist");
    }
    const tinygltf::BufferView& view = model_.bufferViews[index];
    if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= model_.buffers.size()) {
      return Fail(name + ": bufferView " + std::to_string(index) + " names no buffer");
    }
    const std::vector<unsigned char>& buffer = model_.buffers[view.buffer].data;
    if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset) {
      return Fail(name + ": bufferView " + std::to_string(index) + " reaches beyond buffer " +
                  std::to_string(view.buffer) + " (" + std::to_string(buffer.size()) + " bytes)");
    }
    *data = buffer.data() + view.byteOffset;
    *length = view.byteLength;
    return true;
  }

  // Reads a primitive's attributes and appends its vertices, placed by `world`.
  bool Vertices(const tinygltf::Primitive& p, const Matrix& world, const VertexKey& key,
                VertexRun* run) {
    if (direct_) return DirectVertices(p, world, key, run);
    const int positionAccessor = key.position;
    const auto attribute = [&p](const char* name) {
      const auto found = p.attributes.find(name);
      return found == p.attributes.end() ? -1 : found->second;
    };
    std::vector<float> positions, normals, uvs;
    std::vector<uint8_t> colours;
    size_t vertices = 0, count = 0;
    if (!Accessor(positionAccessor, 3, "POSITION", &vertices, [&](size_t e, int c, double v) {
          if (e == 0 && c == 0) positions.resize(3 * vertices);
          positions[3 * e + c] = static_cast<float>(v);
        })) {
      return false;
    }
    positions.resize(3 * vertices);
    const int normalAccessor = attribute("NORMAL");
    if (normalAccessor >= 0) {
      if (!Accessor(normalAccessor, 3, "NORMAL", &count, [&](size_t e, int c, double v) {
            if (e == 0 && c == 0) normals.resize(3 * count);
            normals[3 * e + c] = static_cast<float>(v);
          })) {
        return false;
      }
      if (count != vertices) return Fail(where_ + ": NORMAL and POSITION differ in count");
    }
    const int uvAccessor = attribute("TEXCOORD_0");
    if (uvAccessor >= 0) {
      if (!Accessor(uvAccessor, 2, "TEXCOORD_0", &count, [&](size_t e, int c, double v) {
            if (e == 0 && c == 0) uvs.resize(2 * count);
            uvs[2 * e + c] = static_cast<float>(v);
          })) {
        return false;
      }
      if (count != vertices) return Fail(where_ + ": TEXCOORD_0 and POSITION differ in count");
    }
    const int colourAccessor = attribute("COLOR_0");
    if (colourAccessor >= 0) {
      if (!Accessor(colourAccessor, 4, "COLOR_0", &count, [&](size_t e, int c, double v) {
            if (e == 0 && c == 0) colours.assign(4 * count, 255);
            colours[4 * e + c] = ColourByte(v);
          })) {
        return false;
      }
      if (count != vertices) return Fail(where_ + ": COLOR_0 and POSITION differ in count");
    }
    if (attribute("TEXCOORD_1") >= 0 || attribute("JOINTS_0") >= 0) {
      Note("texture coordinates beyond TEXCOORD_0 and joints are not used");
    }

    // Vertices, placed in the world.
    double determinant = 1;
    const std::array<double, 9> normalMatrix = NormalMatrix(world, &determinant);
    run->vertices = vertices;
    run->base = static_cast<int32_t>(mesh_->positions.size() / 3);
    run->normalBase = normals.empty() ? -1 : static_cast<int32_t>(mesh_->normals.size() / 3);
    run->uvBase = uvs.empty() ? -1 : static_cast<int32_t>(mesh_->uvs.size() / 2);
    for (size_t v = 0; v < vertices; ++v) {
      const float* q = &positions[3 * v];
      float xyz[3];
      for (int r = 0; r < 3; ++r) {
        xyz[r] =
            ToFloat(world[r] * q[0] + world[4 + r] * q[1] + world[8 + r] * q[2] + world[12 + r]);
      }
      if (!IsFinite3(q) || !IsFinite3(xyz)) {
        return Fail("accessor " + std::to_string(positionAccessor) + " (POSITION) of " + where_ +
                    ": element " + std::to_string(v) + " is not a finite position");
      }
      AddMeshPosition(mesh_, xyz, colours.empty() ? nullptr : &colours[4 * v]);
      if (!normals.empty()) {
        const float* n = &normals[3 * v];
        double out[3];
        for (int r = 0; r < 3; ++r) {
          out[r] = normalMatrix[r * 3] * n[0] + normalMatrix[r * 3 + 1] * n[1] +
                   normalMatrix[r * 3 + 2] * n[2];
          if (determinant < 0) out[r] = -out[r];
        }
        for (double c : out) mesh_->normals.push_back(ToFloat(c));
      }
      if (!uvs.empty()) {
        float u = uvs[2 * v], t = uvs[2 * v + 1];
        if (key.transform >= 0) transform_.at(key.transform).Apply(&u, &t);
        mesh_->uvs.push_back(u);
        mesh_->uvs.push_back(1.0f - t);  // glTF's v runs down the picture, OBJ's up
      }
    }

    return true;
  }

  // The normal `n` placed by the normal matrix (unless `still`) and turned with a mirroring
  // transform, at unit length; false where it has no direction.
  static bool PlacedNormal(float n[3], bool still, const std::array<double, 9>& normalMatrix,
                           double determinant) {
    if (still) {
      for (int r = 0; r < 3; ++r) n[r] += 0.0f;
    } else {
      const float q[3] = {n[0], n[1], n[2]};
      for (int r = 0; r < 3; ++r) {
        double c = normalMatrix[r * 3] * q[0] + normalMatrix[r * 3 + 1] * q[1] +
                   normalMatrix[r * 3 + 2] * q[2];
        if (determinant < 0) c = -c;
        n[r] = ToFloat(c);
      }
    }
    const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(l > 0.0f) || !std::isfinite(l)) return false;
    for (int r = 0; r < 3; ++r) n[r] /= l;
    return true;
  }

  // Vertices straight into the arrays: a vertex of the file is a vertex of the arrays.
  bool DirectVertices(const tinygltf::Primitive& p, const Matrix& world, const VertexKey& key,
                      VertexRun* run) {
    // Without normals each triangle is shaded flat, with vertices of its own.
    if (key.normal < 0) return Corners();
    std::vector<MeshVertex>& out = direct_->vertices;
    const size_t base = out.size();
    size_t vertices = 0, count = 0;
    // Each attribute checked, then read into the vertices themselves: floats lying plainly
    // in their bufferView in the pass below, any other through the accessor routine now.
    // An accessor longer than POSITION's is refused before that pass and writes nothing
    // beyond the vertices.
    const auto none = [](size_t, int, double) {};
    if (!Accessor(key.position, 3, "POSITION", &vertices, none)) return false;
    out.resize(base + vertices);
    const PlainFloats positions = Plain(key.position);
    if (!positions.data &&
        !Accessor(key.position, 3, "POSITION", &vertices, [&](size_t e, int c, double v) {
          out[base + e].position[c] = static_cast<float>(v);
        })) {
      return false;
    }
    if (!Accessor(key.normal, 3, "NORMAL", &count, none)) return false;
    if (count != vertices) return Fail(where_ + ": NORMAL and POSITION differ in count");
    const PlainFloats normals = Plain(key.normal);
    if (!normals.data && !Accessor(key.normal, 3, "NORMAL", &count, [&](size_t e, int c, double v) {
          out[base + e].normal[c] = static_cast<float>(v);
        })) {
      return false;
    }
    PlainFloats uvs;
    if (key.uv >= 0) {
      if (!Accessor(key.uv, 2, "TEXCOORD_0", &count, none)) return false;
      if (count != vertices) return Fail(where_ + ": TEXCOORD_0 and POSITION differ in count");
      uvs = Plain(key.uv);
      if (!uvs.data && !Accessor(key.uv, 2, "TEXCOORD_0", &count, [&](size_t e, int c, double v) {
            out[base + e].uv[c] = static_cast<float>(v);
          })) {
        return false;
      }
    }
    if (key.colour >= 0) {
      if (!Accessor(key.colour, 4, "COLOR_0", &count, [&](size_t e, int c, double v) {
            if (e >= vertices || c >= 4) return;
            if (c == 0) out[base + e].color[3] = 255;  // for colours of three components
            out[base + e].color[c] = ColourByte(v);
          })) {
        return false;
      }
      if (count != vertices) return Fail(where_ + ": COLOR_0 and POSITION differ in count");
      direct_->colored = true;
    }
    if (p.attributes.count("TEXCOORD_1") || p.attributes.count("JOINTS_0")) {
      Note("texture coordinates beyond TEXCOORD_0 and joints are not used");
    }

    // Placed in the world as the corners' path places them (a transform that moves
    // nothing leaves every number as it is, but -0, which becomes 0 there too).
    double determinant = 1;
    const std::array<double, 9> normalMatrix = NormalMatrix(world, &determinant);
    const bool still = world == kIdentity;
    run->vertices = vertices;
    run->base = static_cast<int32_t>(base);
    run->normalBase = 0;
    run->uvBase = key.uv < 0 ? -1 : 0;
    used_.resize(out.size(), 0);
    const UvTransform* transform = key.transform >= 0 ? &transform_.at(key.transform) : nullptr;
    for (size_t v = 0; v < vertices; ++v) {
      MeshVertex& vertex = out[base + v];
      if (positions.data) std::memcpy(vertex.position, positions.At(v), sizeof vertex.position);
      if (normals.data) std::memcpy(vertex.normal, normals.At(v), sizeof vertex.normal);
      if (uvs.data) std::memcpy(vertex.uv, uvs.At(v), sizeof vertex.uv);
      const float q[3] = {vertex.position[0], vertex.position[1], vertex.position[2]};
      if (!IsFinite3(q)) return NotFinite(key.position, v);
      if (still) {
        for (float& c : vertex.position) c += 0.0f;
      } else {
        for (int r = 0; r < 3; ++r) {
          vertex.position[r] =
              ToFloat(world[r] * q[0] + world[4 + r] * q[1] + world[8 + r] * q[2] + world[12 + r]);
        }
        if (!IsFinite3(vertex.position)) return NotFinite(key.position, v);
      }
      // A normal of no direction gets one made from the faces around it.
      if (!PlacedNormal(vertex.normal, still, normalMatrix, determinant)) return Corners();
      if (key.uv >= 0) {
        if (transform) transform->Apply(&vertex.uv[0], &vertex.uv[1]);
        vertex.uv[1] = 1.0f - vertex.uv[1];  // glTF's v runs down the picture, OBJ's up
      } else {
        vertex.uv[0] = vertex.uv[1] = 0.0f;
      }
      if (key.colour < 0) std::memset(vertex.color, 255, sizeof vertex.color);
    }
    return true;
  }

  // Where a float accessor's elements lie when they lie plainly in a bufferView (no sparse
  // substitution); data null otherwise. Only for an accessor Accessor has checked.
  struct PlainFloats {
    const unsigned char* data = nullptr;
    size_t stride = 0;
    const unsigned char* At(size_t element) const { return data + element * stride; }
  };
  PlainFloats Plain(int index) const {
    const tinygltf::Accessor& a = model_.accessors[index];
    if (a.sparse.isSparse || a.bufferView < 0 || a.count == 0 ||
        a.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT) {
      return {};
    }
    const tinygltf::BufferView& view = model_.bufferViews[a.bufferView];
    const int components = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type));
    return {model_.buffers[view.buffer].data.data() + view.byteOffset + a.byteOffset,
            view.byteStride > 0 ? static_cast<size_t>(view.byteStride)
                                : static_cast<size_t>(4 * components)};
  }

  bool IndexBeyond(int accessor, size_t i, uint32_t vertex, size_t vertices) {
    return Fail("accessor " + std::to_string(accessor) + " (indices) of " + where_ + ": index " +
                std::to_string(i) + " is vertex " + std::to_string(vertex) + " of only " +
                std::to_string(vertices));
  }
  static uint32_t ReadIndex(int type, const unsigned char* p) {
    return static_cast<uint32_t>(Component(p, type, false));
  }

  bool NotFinite(int positionAccessor, size_t element) {
    return Fail("accessor " + std::to_string(positionAccessor) + " (POSITION) of " + where_ +
                ": element " + std::to_string(element) + " is not a finite position");
  }

  // Appends triangle a, b, c of `run` (numbers within the run) to the arrays, its vertices
  // marked used as they are or turned round: a corner's normal pointing against its
  // triangle's winding is turned with the face. False where a vertex is turned for one
  // triangle and not for another, which the one shared vertex cannot be.
  // `vertices` and `used` start at the run's first vertex; the vertex numbers go to
  // `*out`, which moves on.
  static inline bool DirectTriangle(const MeshVertex* vertices, uint8_t* used, uint32_t base,
                                    uint32_t** out, uint32_t a, uint32_t b, uint32_t c) {
    const MeshVertex* v[3] = {&vertices[a], &vertices[b], &vertices[c]};
    const float u[3] = {v[1]->position[0] - v[0]->position[0],
                        v[1]->position[1] - v[0]->position[1],
                        v[1]->position[2] - v[0]->position[2]};
    const float w[3] = {v[2]->position[0] - v[0]->position[0],
                        v[2]->position[1] - v[0]->position[1],
                        v[2]->position[2] - v[0]->position[2]};
    const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                        u[0] * w[1] - u[1] * w[0]};
    int k = 0;
    for (uint32_t i : {a, b, c}) {
      const float* m = v[k++]->normal;
      uint8_t& use = used[i];
      use |= m[0] * n[0] + m[1] * n[1] + m[2] * n[2] < 0.0f ? kTurned : kAsItIs;
      if (use == (kTurned | kAsItIs)) return false;
      *(*out)++ = base + i;
    }
    return true;
  }

  bool Primitive(const tinygltf::Primitive& p, const Matrix& world) {
    const int mode = p.mode < 0 ? TINYGLTF_MODE_TRIANGLES : p.mode;
    if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
        mode != TINYGLTF_MODE_TRIANGLE_FAN) {
      Note("points and lines are not drawn: triangles only");
      return true;
    }
    const auto attribute = [&p](const char* name) {
      const auto found = p.attributes.find(name);
      return found == p.attributes.end() ? -1 : found->second;
    };
    const int positionAccessor = attribute("POSITION");
    if (positionAccessor < 0) {
      Note("primitives without POSITION are not drawn");
      return true;
    }
    // Made now, so its texture transform is known below; a material that does not exist is
    // the plain one.
    const int material =
        p.material >= 0 && static_cast<size_t>(p.material) < model_.materials.size() ? p.material
                                                                                     : -1;
    Material(material);
    // Primitives that share their attributes (and node and picture transform) share their
    // vertices: read once.
    const VertexKey key{node_,
                        positionAccessor,
                        attribute("NORMAL"),
                        attribute("TEXCOORD_0"),
                        attribute("COLOR_0"),
                        transform_.count(material) ? material : -1};
    auto known = runs_.find(key);
    if (known == runs_.end()) {
      VertexRun made;
      if (!Vertices(p, world, key, &made)) return false;
      known = runs_.emplace(key, made).first;
    }
    const VertexRun run = known->second;
    const size_t vertices = run.vertices;
    size_t count = 0;
    double determinant = 1;
    NormalMatrix(world, &determinant);
    std::vector<uint32_t>& indices = indexScratch_;  // kept from primitive to primitive
    indices.clear();
    // Plain triangles going straight into the arrays take their indices where they lie.
    const unsigned char* plain = nullptr;
    size_t plainStride = 0;
    int plainType = 0;
    if (p.indices >= 0) {
      const int type = p.indices < static_cast<int>(model_.accessors.size())
                           ? model_.accessors[p.indices].componentType
                           : 0;
      if (p.indices < static_cast<int>(model_.accessors.size()) &&
          type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
          type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
          type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
        return Fail("accessor " + std::to_string(p.indices) + " (indices): component type " +
                    std::to_string(type) + " is not an unsigned integer");
      }
      if (direct_ && mode == TINYGLTF_MODE_TRIANGLES) {
        // Checked through the one accessor routine, which reads nothing for a store that
        // keeps nothing.
        if (!Accessor(p.indices, 1, "indices", &count, [](size_t, int, double) {})) return false;
        const tinygltf::Accessor& a = model_.accessors[p.indices];
        if (!a.sparse.isSparse && a.bufferView >= 0 && count > 0) {
          const tinygltf::BufferView& view = model_.bufferViews[a.bufferView];
          plain = model_.buffers[view.buffer].data.data() + view.byteOffset + a.byteOffset;
          plainType = type;
          plainStride = view.byteStride > 0
                            ? static_cast<size_t>(view.byteStride)
                            : static_cast<size_t>(tinygltf::GetComponentSizeInBytes(type));
        }
      }
      if (!plain && !Accessor(p.indices, 1, "indices", &count, [&](size_t e, int, double v) {
            if (e == 0) indices.resize(count);
            indices[e] = static_cast<uint32_t>(v);
          })) {
        return false;
      }
      if (!plain) indices.resize(count);
      for (size_t i = 0; i < indices.size(); ++i) {
        if (indices[i] >= vertices) return IndexBeyond(p.indices, i, indices[i], vertices);
      }
    } else {
      indices.resize(vertices);
      for (size_t i = 0; i < vertices; ++i) indices[i] = static_cast<uint32_t>(i);
    }

    // Triangles; a mirroring transform turns their winding, which is turned back.
    const int32_t materialNumber = materialIndex_.at(material);
    const size_t first = direct_ ? direct_->indices.size() : 0;
    uint32_t* cursor = nullptr;
    const MeshVertex* runVertices = nullptr;
    uint8_t* runUsed = nullptr;
    if (direct_) {
      const size_t most = plain                             ? count / 3 * 3
                          : mode == TINYGLTF_MODE_TRIANGLES ? indices.size() / 3 * 3
                          : indices.size() > 2              ? 3 * (indices.size() - 2)
                                                            : 0;
      if (direct_->indices.capacity() < first + most) {
        direct_->indices.reserve(std::max(first + most, 2 * first));
      }
      direct_->indices.resize(first + most);
      cursor = direct_->indices.data() + first;
      runVertices = direct_->vertices.data() + run.base;
      runUsed = used_.data() + run.base;
    }
    bool direct = direct_ != nullptr;
    // Without NORMAL glTF asks for flat shading: each triangle its own face's normal.
    const auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) {
      if (determinant < 0) std::swap(b, c);
      if (direct_) {
        direct = direct && DirectTriangle(runVertices, runUsed, static_cast<uint32_t>(run.base),
                                          &cursor, a, b, c);
        return;
      }
      int32_t flat = -1;
      if (run.normalBase < 0) {
        const float* q[3];
        int i = 0;
        for (uint32_t v : {a, b, c}) q[i++] = &mesh_->positions[3 * (size_t(run.base) + v)];
        const double u[3] = {q[1][0] - q[0][0], q[1][1] - q[0][1], q[1][2] - q[0][2]};
        const double w[3] = {q[2][0] - q[0][0], q[2][1] - q[0][1], q[2][2] - q[0][2]};
        flat = static_cast<int32_t>(mesh_->normals.size() / 3);
        mesh_->normals.insert(mesh_->normals.end(), {ToFloat(u[1] * w[2] - u[2] * w[1]),
                                                     ToFloat(u[2] * w[0] - u[0] * w[2]),
                                                     ToFloat(u[0] * w[1] - u[1] * w[0])});
      }
      for (uint32_t i : {a, b, c}) {
        const int32_t k = static_cast<int32_t>(i);
        mesh_->corners.push_back({run.base + k, run.uvBase < 0 ? -1 : run.uvBase + k,
                                  run.normalBase < 0 ? flat : run.normalBase + k});
      }
      EndMeshFace(mesh_, materialNumber);
    };
    if (plain) {
      // The common case: each index read, checked and written in one pass.
      const uint32_t base = static_cast<uint32_t>(run.base);
      const bool mirrored = determinant < 0;
      size_t bad = count;  // the first index naming no vertex
      ForComponentType(plainType, [&](auto kind) {
        const auto at = [&](size_t i) {
          return static_cast<uint32_t>(
              ComponentOf<decltype(kind)::value>(plain + i * plainStride, false));
        };
        for (size_t i = 0; direct && i + 2 < count; i += 3) {
          const uint32_t t[3] = {at(i), at(i + 1), at(i + 2)};
          for (size_t k = 0; k < 3; ++k) {
            if (t[k] >= vertices && bad == count) bad = i + k;
          }
          if (bad < count) return;
          direct = DirectTriangle(runVertices, runUsed, base, &cursor, t[0], mirrored ? t[2] : t[1],
                                  mirrored ? t[1] : t[2]);
        }
        for (size_t i = count / 3 * 3; direct && i < count && bad == count; ++i) {
          if (at(i) >= vertices) bad = i;
        }
      });
      if (bad < count) {
        return IndexBeyond(p.indices, bad, ReadIndex(plainType, plain + bad * plainStride),
                           vertices);
      }
    } else if (direct_ && mode == TINYGLTF_MODE_TRIANGLES) {
      // The common case in a loop of its own.
      const uint32_t base = static_cast<uint32_t>(run.base);
      const bool mirrored = determinant < 0;
      for (size_t i = 0; direct && i + 2 < indices.size(); i += 3) {
        const uint32_t* t = &indices[i];
        direct = DirectTriangle(runVertices, runUsed, base, &cursor, t[0], mirrored ? t[2] : t[1],
                                mirrored ? t[1] : t[2]);
      }
    } else if (mode == TINYGLTF_MODE_TRIANGLES) {
      for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        triangle(indices[i], indices[i + 1], indices[i + 2]);
      }
    } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
      for (size_t i = 0; i + 2 < indices.size(); ++i) {
        if (i % 2 == 0) {
          triangle(indices[i], indices[i + 1], indices[i + 2]);
        } else {
          triangle(indices[i + 1], indices[i], indices[i + 2]);
        }
      }
    } else {
      for (size_t i = 1; i + 1 < indices.size(); ++i) {
        triangle(indices[0], indices[i], indices[i + 1]);
      }
    }
    if (direct_) {
      if (!direct) return Corners();
      direct_->indices.resize(static_cast<size_t>(cursor - direct_->indices.data()));
      const uint32_t count = static_cast<uint32_t>(direct_->indices.size() - first);
      if (!runsOut_.empty() && runsOut_.back().material == materialNumber) {
        runsOut_.back().count += count;
      } else if (count > 0) {
        runsOut_.push_back({materialNumber, static_cast<uint32_t>(first), count});
      }
    }
    return true;
  }

  void DefaultMaterial() {
    ObjMaterial material;
    material.name = "default";
    materialIndex_[-1] = static_cast<int32_t>(mesh_->materialList.size());
    mesh_->materialList.push_back(material);
  }

  // The mesh's material for glTF material `index` (-1: none), made on first use.
  const ObjMaterial& Material(int index) {
    if (index < 0 || static_cast<size_t>(index) >= model_.materials.size()) index = -1;
    const auto known = materialIndex_.find(index);
    if (known != materialIndex_.end()) return mesh_->materialList[known->second];
    if (index < 0) {
      DefaultMaterial();
      return mesh_->materialList.back();
    }
    const tinygltf::Material& m = model_.materials[index];
    ObjMaterial out;
    out.name = m.name.empty() ? "material " + std::to_string(index) : m.name;
    out.defined = true;
    out.diffuseGiven = true;
    const std::vector<double>& factor = m.pbrMetallicRoughness.baseColorFactor;
    if (factor.size() == 4) {
      for (int i = 0; i < 3; ++i)
        out.diffuse[i] = static_cast<float>(std::clamp(factor[i], 0.0, 1.0));
      out.alpha = static_cast<float>(std::clamp(factor[3], 0.0, 1.0));
    } else {
      out.diffuse[0] = out.diffuse[1] = out.diffuse[2] = 1.0f;
    }
    if (m.alphaMode == "MASK") {
      out.alphaMode = AlphaMode::kMask;
      out.alphaCutoff = ToFloat(m.alphaCutoff);
    } else if (m.alphaMode == "BLEND") {
      out.alphaMode = AlphaMode::kBlend;
    }
    out.doubleSided = m.doubleSided;
    out.unlit = m.extensions.count("KHR_materials_unlit") > 0;
    BaseColourTexture(m.pbrMetallicRoughness.baseColorTexture, index, &out);
    if (m.pbrMetallicRoughness.metallicRoughnessTexture.index >= 0 ||
        m.pbrMetallicRoughness.metallicFactor != 1.0 ||
        m.pbrMetallicRoughness.roughnessFactor != 1.0) {
      Note("metallic-roughness is not drawn");
    }
    if (m.normalTexture.index >= 0) Note("normal maps are not drawn");
    if (m.occlusionTexture.index >= 0) Note("occlusion maps are not drawn");
    const bool glows =
        m.emissiveFactor.size() == 3 &&
        (m.emissiveFactor[0] > 0 || m.emissiveFactor[1] > 0 || m.emissiveFactor[2] > 0);
    if (m.emissiveTexture.index >= 0 || glows) Note("emission is not drawn");
    materialIndex_[index] = static_cast<int32_t>(mesh_->materialList.size());
    mesh_->materialList.push_back(out);
    return mesh_->materialList.back();
  }

  void BaseColourTexture(const tinygltf::TextureInfo& info, int material, ObjMaterial* out) {
    if (info.index < 0) return;
    if (static_cast<size_t>(info.index) >= model_.textures.size()) {
      Note("a material names a texture that does not exist: drawn plain");
      return;
    }
    const tinygltf::Texture& texture = model_.textures[info.index];
    if (texture.source < 0 || static_cast<size_t>(texture.source) >= model_.images.size()) {
      if (!texture.extensions.empty()) {
        Note("textures only in an extension's format (KTX2, WebP) are drawn plain");
      }
      return;
    }
    const tinygltf::Image& image = model_.images[texture.source];
    const auto bytes = images_.bytes.find(texture.source);
    if (bytes != images_.bytes.end()) {
      out->textureBytes = bytes->second;
      out->texture = name_ + ": image " + std::to_string(texture.source);
    } else if (!image.uri.empty()) {
      const std::string path = DecodeUri(image.uri);
      out->texture = IsAbsoluteObjPath(path) ? path : folder_ + path;
    } else {
      return;
    }
    if (texture.sampler >= 0 && static_cast<size_t>(texture.sampler) < model_.samplers.size()) {
      const tinygltf::Sampler& sampler = model_.samplers[texture.sampler];
      const auto wrap = [](int mode) {
        return mode == TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE     ? kWrapClampToEdge
               : mode == TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT ? kWrapMirroredRepeat
                                                               : kWrapRepeat;
      };
      out->wrapS = wrap(sampler.wrapS);
      out->wrapT = wrap(sampler.wrapT);
    }
    int texCoord = info.texCoord;
    const auto found = info.extensions.find("KHR_texture_transform");
    if (found != info.extensions.end() && found->second.IsObject()) {
      const tinygltf::Value& v = found->second;
      UvTransform t;
      const auto pair = [&v](const char* key, double out[2]) {
        if (!v.Has(key) || !v.Get(key).IsArray() || v.Get(key).ArrayLen() != 2) return;
        for (int i = 0; i < 2; ++i) {
          if (v.Get(key).Get(i).IsNumber()) out[i] = v.Get(key).Get(i).GetNumberAsDouble();
        }
      };
      pair("offset", t.offset);
      pair("scale", t.scale);
      if (v.Has("rotation") && v.Get("rotation").IsNumber()) {
        t.rotation = v.Get("rotation").GetNumberAsDouble();
      }
      if (v.Has("texCoord") && v.Get("texCoord").IsInt())
        texCoord = v.Get("texCoord").GetNumberAsInt();
      transform_[material] = t;
    }
    if (texCoord != 0) Note("pictures on TEXCOORD_1 and beyond are drawn on TEXCOORD_0");
  }

  const tinygltf::Model& model_;
  const ImageStore& images_;
  const std::string& folder_;
  const std::string& name_;
  ObjMesh* mesh_;
  std::string* error_;
  std::string where_;
  std::set<std::string> noted_;
  std::map<int, int32_t> materialIndex_;  // glTF material (-1: none) to mesh material
  std::map<int, UvTransform> transform_;  // by glTF material
  int node_ = -1;                         // the node whose mesh is being read
  std::map<VertexKey, VertexRun> runs_;   // vertices already in the mesh
  std::vector<uint32_t> indexScratch_;    // the primitive's indices as read
  // Reading straight into arrays: where the triangles go, each primitive's run of them,
  // which vertices a triangle uses, and where each object starts.
  IndexedMesh* direct_ = nullptr;
  std::vector<MaterialRange> runsOut_;
  static constexpr uint8_t kAsItIs = 1, kTurned = 2;
  std::vector<uint8_t> used_;  // per vertex: 0 (no triangle uses it), kAsItIs, kTurned
  std::vector<uint32_t> directStarts_;
  bool needsCorners_ = false;
};

}  // namespace

bool ReadGltf(std::string_view bytes, bool binary, const std::string& folder,
              const std::string& name, ObjMesh* mesh, std::string* error, IndexedMesh* arrays) {
  *mesh = ObjMesh();
  if (arrays) *arrays = IndexedMesh();
  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  ImageStore images;
  images.model = &model;
  loader.SetImageLoader(KeepImage, &images);
  std::string err, warn;
  // tinygltf takes a relative base folder as given; "" means the current folder.
  const std::string base = folder.empty() ? "." : folder;
  const bool ok =
      binary ? loader.LoadBinaryFromMemory(&model, &err, &warn,
                                           reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<unsigned int>(bytes.size()), base)
             : loader.LoadASCIIFromString(&model, &err, &warn, bytes.data(),
                                          static_cast<unsigned int>(bytes.size()), base);
  if (!ok) {
    *error = OneLine(err.empty() ? "not a glTF file tinygltf can read" : err);
    return false;
  }
  if (arrays) {
    GltfReader direct(model, images, folder, name, mesh, error, arrays);
    if (direct.Run()) return true;
    if (!direct.NeedsCorners()) return false;
    *mesh = ObjMesh();
    *arrays = IndexedMesh();
  }
  GltfReader reader(model, images, folder, name, mesh, error);
  return reader.Run();
}
