// OBJ reader and model-file writer. Each object keeps its own vertex list of distinct
// (position, texture coordinate) pairs, since the model format numbers vertices per object.
#include "tools/obj2model/obj_to_model.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>

namespace {

constexpr uint16_t kTagObject = 0x1010;
constexpr uint16_t kTagMaterial = 0xF1D2;
constexpr uint16_t kTagAssign = 0x0101;
constexpr uint16_t kTagEnd = 0xD2E3;
constexpr size_t kMaxNameLength = 11;  // what an assignment chunk can carry
constexpr size_t kMaxFaces = 65535;
constexpr size_t kMaxVertices = 65536;

struct Vertex {
  float x, y, z, u, v;
};

struct Object {
  std::string name;
  std::vector<Vertex> vertices;
  std::map<std::pair<long, long>, uint32_t> index;  // (position, uv) -> vertex number
  std::vector<std::array<uint32_t, 3>> faces;
  std::vector<int> materials;  // per face
};

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>* out) : out_(out) {}
  void U16(uint16_t v) {
    out_->push_back(v & 0xFF);
    out_->push_back(v >> 8);
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_->push_back((v >> (8 * i)) & 0xFF);
  }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    U32(bits);
  }
  void Name(const std::string& name) {
    out_->insert(out_->end(), name.begin(), name.end());
    out_->push_back('#');
  }

 private:
  std::vector<uint8_t>* out_;
};

bool ParseFloat(const std::string& token, float* value) {
  char* end = nullptr;
  *value = std::strtof(token.c_str(), &end);
  return end && end != token.c_str() && *end == '\0';
}

// OBJ indices are 1-based, or negative counting back from the latest element.
bool ResolveIndex(const std::string& token, size_t count, long* index) {
  if (token.empty()) return false;
  char* end = nullptr;
  const long raw = std::strtol(token.c_str(), &end, 10);
  if (*end != '\0' || raw == 0) return false;
  const long resolved = raw > 0 ? raw - 1 : static_cast<long>(count) + raw;
  if (resolved < 0 || resolved >= static_cast<long>(count)) return false;
  *index = resolved;
  return true;
}

}  // namespace

bool ConvertObjToModel(const std::string& objText, std::vector<uint8_t>* model, std::string* error,
                       ObjConversionSummary* summary) {
  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::string> materials;
  std::vector<Object> objects(1);
  int currentMaterial = -1;

  auto fail = [error](int line, const std::string& what) {
    if (error) *error = "line " + std::to_string(line) + ": " + what;
    return false;
  };
  auto materialNumber = [&materials](const std::string& name) {
    for (size_t i = 0; i < materials.size(); ++i) {
      if (materials[i] == name) return static_cast<int>(i);
    }
    materials.push_back(name);
    return static_cast<int>(materials.size() - 1);
  };

  std::istringstream lines(objText);
  std::string text;
  int lineNumber = 0;
  while (std::getline(lines, text)) {
    ++lineNumber;
    const size_t hash = text.find('#');
    if (hash != std::string::npos) text.erase(hash);
    std::istringstream words(text);
    std::string keyword;
    if (!(words >> keyword)) continue;
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);

    if (keyword == "v") {
      std::array<float, 3> p;
      if (args.size() < 3) return fail(lineNumber, "a vertex needs x, y and z");
      for (int i = 0; i < 3; ++i) {
        if (!ParseFloat(args[i], &p[i])) return fail(lineNumber, "bad number " + args[i]);
      }
      positions.push_back(p);
    } else if (keyword == "vt") {
      std::array<float, 2> t = {0.0f, 0.0f};
      if (args.empty()) return fail(lineNumber, "a texture coordinate needs u");
      for (size_t i = 0; i < 2 && i < args.size(); ++i) {
        if (!ParseFloat(args[i], &t[i])) return fail(lineNumber, "bad number " + args[i]);
      }
      uvs.push_back(t);
    } else if (keyword == "o" || keyword == "g") {
      const std::string name = args.empty() ? "" : args[0];
      if (!objects.back().faces.empty()) objects.emplace_back();
      objects.back().name = name;
    } else if (keyword == "usemtl") {
      if (args.empty()) return fail(lineNumber, "usemtl needs a name");
      const std::string& name = args[0];  // cannot hold '#': comments were cut off
      if (name.size() > kMaxNameLength) {
        return fail(lineNumber, "material name " + name + " is longer than 11 characters");
      }
      currentMaterial = materialNumber(name);
    } else if (keyword == "f") {
      if (args.size() < 3) return fail(lineNumber, "a face needs three corners");
      Object& object = objects.back();
      std::vector<uint32_t> corners;
      for (const std::string& arg : args) {
        const size_t slash = arg.find('/');
        long p, t = -1;
        if (!ResolveIndex(arg.substr(0, slash), positions.size(), &p)) {
          return fail(lineNumber, "bad vertex index in " + arg);
        }
        if (slash != std::string::npos) {
          const size_t next = arg.find('/', slash + 1);
          const std::string uv = arg.substr(slash + 1, next - slash - 1);
          if (!uv.empty() && !ResolveIndex(uv, uvs.size(), &t)) {
            return fail(lineNumber, "bad texture index in " + arg);
          }
        }
        auto found = object.index.find({p, t});
        if (found == object.index.end()) {
          if (object.vertices.size() >= kMaxVertices) {
            return fail(lineNumber, "object has more than 65536 corners");
          }
          const std::array<float, 2> uv = t >= 0 ? uvs[t] : std::array<float, 2>{0.0f, 0.0f};
          object.vertices.push_back(
              {positions[p][0], positions[p][1], positions[p][2], uv[0], uv[1]});
          found = object.index.emplace(std::make_pair(p, t), object.vertices.size() - 1).first;
        }
        corners.push_back(found->second);
      }
      if (currentMaterial < 0) currentMaterial = materialNumber("default");
      for (size_t i = 1; i + 1 < corners.size(); ++i) {  // a fan around the first corner
        if (object.faces.size() >= kMaxFaces) {
          return fail(lineNumber, "object has more than 65535 triangles");
        }
        object.faces.push_back({corners[0], corners[i], corners[i + 1]});
        object.materials.push_back(currentMaterial);
      }
    }
  }
  if (objects.size() > 1 && objects.back().faces.empty()) objects.pop_back();
  model->clear();
  Writer out(model);
  out.U32(static_cast<uint32_t>(objects.size() - 1));
  for (const std::string& name : materials) {
    out.U16(kTagMaterial);
    out.Name(name);
  }
  int triangles = 0;
  for (size_t slot = 0; slot < objects.size(); ++slot) {
    const Object& object = objects[slot];
    out.U16(kTagObject);
    out.U32(static_cast<uint32_t>(slot));
    out.U32(static_cast<uint32_t>(object.vertices.size()));
    for (const Vertex& v : object.vertices) {
      out.F32(v.x);
      out.F32(v.y);
      out.F32(v.z);
    }
    for (const Vertex& v : object.vertices) {
      out.F32(v.u);
      out.F32(v.v);
    }
    for (int i = 0; i < 3; ++i) out.F32(0.0f);  // placement: the coordinates are absolute
    const size_t faceCount = object.faces.size();
    out.U16(static_cast<uint16_t>(faceCount));
    for (const auto& face : object.faces) {
      for (uint32_t corner : face) out.U16(static_cast<uint16_t>(corner));
    }
    // Assignments name faces counting back from the last face of the chunk.
    for (size_t m = 0; m < materials.size(); ++m) {
      std::vector<uint16_t> numbers;
      for (size_t i = 0; i < faceCount; ++i) {
        if (object.materials[i] == static_cast<int>(m)) {
          numbers.push_back(static_cast<uint16_t>(faceCount - 1 - i));
        }
      }
      if (numbers.empty()) continue;
      out.U16(kTagAssign);
      out.Name(materials[m]);
      out.U16(static_cast<uint16_t>(numbers.size()));
      for (uint16_t k : numbers) out.U16(k);
    }
    triangles += static_cast<int>(faceCount);
  }
  out.U16(kTagEnd);
  for (int i = 0; i < 6; ++i) out.F32(0.0f);  // view position and view vector

  if (summary) {
    summary->objects = static_cast<int>(objects.size());
    summary->triangles = triangles;
    summary->materials = materials;
  }
  return true;
}
