// The model-file writer. Each model object keeps its own vertex list of distinct (position,
// texture coordinate) pairs, since the model format numbers vertices per object with 16
// bits; an OBJ object that outgrows one model object continues in the next, at the same
// placement.
#include "tools/obj2model/obj_to_model.h"

#include <array>
#include <cstring>
#include <set>
#include <unordered_map>

namespace {

constexpr uint16_t kTagObject = 0x1010;
constexpr uint16_t kTagMaterial = 0xF1D2;
constexpr uint16_t kTagAssign = 0x0101;
constexpr uint16_t kTagEnd = 0xD2E3;

struct Vertex {
  float x, y, z, u, v;
};

// One model object: at most 65535 faces over at most 65536 vertices.
struct Part {
  std::vector<Vertex> vertices;
  std::unordered_map<uint64_t, uint32_t> index;  // (position, uv) -> vertex number
  std::vector<std::array<uint16_t, 3>> faces;
  std::vector<int> materials;  // per face
};

uint64_t CornerKey(const ObjCorner& c) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(c.p)) << 32) | static_cast<uint32_t>(c.t + 1);
}

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

// The triangles in model objects: a new one at each OBJ object or group, and wherever the
// current one has no room for a triangle's face or its new vertices. Faces are fanned from
// their first corner.
std::vector<Part> SplitIntoParts(const ObjMesh& mesh) {
  std::vector<Part> parts(1);
  size_t nextGroup = 0;
  for (size_t face = 0; face < mesh.Faces(); ++face) {
    if (nextGroup < mesh.groupStarts.size() && mesh.groupStarts[nextGroup] == face) {
      ++nextGroup;
      if (!parts.back().faces.empty()) parts.emplace_back();
    }
    const ObjCorner* polygon = &mesh.corners[mesh.FaceStart(face)];
    for (uint32_t i = 1; i + 1 < mesh.faceEnds[face] - mesh.FaceStart(face); ++i) {
      const ObjCorner corners[3] = {polygon[0], polygon[i], polygon[i + 1]};
      size_t fresh = 0;
      for (int k = 0; k < 3; ++k) {
        bool repeated = false;
        for (int j = 0; j < k; ++j) {
          repeated = repeated || CornerKey(corners[j]) == CornerKey(corners[k]);
        }
        if (!repeated && parts.back().index.count(CornerKey(corners[k])) == 0) ++fresh;
      }
      if (parts.back().faces.size() >= kObjMaxFacesPerObject ||
          parts.back().vertices.size() + fresh > kObjMaxVerticesPerObject) {
        parts.emplace_back();
      }
      Part& part = parts.back();
      std::array<uint16_t, 3> triangle;
      for (int k = 0; k < 3; ++k) {
        const ObjCorner& c = corners[k];
        auto found = part.index.find(CornerKey(c));
        if (found == part.index.end()) {
          const float* p = &mesh.positions[3 * static_cast<size_t>(c.p)];
          const float* uv = c.t >= 0 ? &mesh.uvs[2 * static_cast<size_t>(c.t)] : nullptr;
          part.vertices.push_back({p[0], p[1], p[2], uv ? uv[0] : 0.0f, uv ? uv[1] : 0.0f});
          found = part.index.emplace(CornerKey(c), part.vertices.size() - 1).first;
        }
        triangle[k] = static_cast<uint16_t>(found->second);
      }
      part.faces.push_back(triangle);
      part.materials.push_back(mesh.materials[face]);
    }
  }
  return parts;
}

// The names written into the model file: an assignment carries at most 11 characters, so
// longer names are cut and numbered until they are unique among all names.
std::vector<std::string> FileNames(const ObjMesh& mesh, std::vector<std::string>* notes) {
  std::set<std::string> taken;
  for (const ObjMaterial& m : mesh.materialList) {
    if (m.name.size() <= kObjMaxNameLength) taken.insert(m.name);
  }
  std::vector<std::string> names;
  std::string shortened;
  for (const ObjMaterial& m : mesh.materialList) {
    if (m.name.size() <= kObjMaxNameLength) {
      names.push_back(m.name);
      continue;
    }
    for (int n = 1;; ++n) {
      const std::string suffix = "~" + std::to_string(n);
      const std::string candidate = m.name.substr(0, kObjMaxNameLength - suffix.size()) + suffix;
      if (taken.insert(candidate).second) {
        names.push_back(candidate);
        break;
      }
    }
    if (!shortened.empty()) shortened += ", ";
    shortened += m.name + " -> " + names.back();
  }
  if (!shortened.empty()) {
    notes->push_back("material names longer than 11 characters are shortened in the model file: " +
                     shortened);
  }
  return names;
}

}  // namespace

bool WriteModelBytes(const ObjMesh& mesh, std::vector<uint8_t>* model, std::string* error,
                     ObjConversionSummary* summary) {
  if (mesh.materialList.size() > kObjMaxMaterials) {
    if (error) {
      const int line = mesh.materialList[kObjMaxMaterials].firstLine;
      *error = (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) +
               "more than 100 materials, the most a model file can name";
    }
    return false;
  }
  std::vector<std::string> notes = mesh.notes;
  if (!mesh.normals.empty()) notes.push_back("normals are not kept: the model format has none");
  if (!mesh.colors.empty())
    notes.push_back("vertex colours are not kept: the model format has none");
  if (mesh.mtl.colours) {
    notes.push_back("material colours and finishes (Ka, Kd, Ks, Ns, d, illum) are not kept");
  }
  const std::vector<std::string> names = FileNames(mesh, &notes);
  std::vector<Part> parts = SplitIntoParts(mesh);
  if (parts.size() > 1 && parts.back().faces.empty()) parts.pop_back();

  model->clear();
  Writer out(model);
  out.U32(static_cast<uint32_t>(parts.size() - 1));
  for (const std::string& name : names) {
    out.U16(kTagMaterial);
    out.Name(name);
  }
  int triangles = 0;
  for (size_t slot = 0; slot < parts.size(); ++slot) {
    const Part& part = parts[slot];
    out.U16(kTagObject);
    out.U32(static_cast<uint32_t>(slot));
    out.U32(static_cast<uint32_t>(part.vertices.size()));
    for (const Vertex& v : part.vertices) {
      out.F32(v.x);
      out.F32(v.y);
      out.F32(v.z);
    }
    for (const Vertex& v : part.vertices) {
      out.F32(v.u);
      out.F32(v.v);
    }
    for (int i = 0; i < 3; ++i) out.F32(0.0f);  // placement: the coordinates are absolute
    const size_t faceCount = part.faces.size();
    out.U16(static_cast<uint16_t>(faceCount));
    for (const auto& face : part.faces) {
      for (uint16_t corner : face) out.U16(corner);
    }
    // Assignments name faces counting back from the last face of the chunk.
    for (size_t m = 0; m < names.size(); ++m) {
      std::vector<uint16_t> numbers;
      for (size_t i = 0; i < faceCount; ++i) {
        if (part.materials[i] == static_cast<int>(m)) {
          numbers.push_back(static_cast<uint16_t>(faceCount - 1 - i));
        }
      }
      if (numbers.empty()) continue;
      out.U16(kTagAssign);
      out.Name(names[m]);
      out.U16(static_cast<uint16_t>(numbers.size()));
      for (uint16_t k : numbers) out.U16(k);
    }
    triangles += static_cast<int>(faceCount);
  }
  out.U16(kTagEnd);
  for (int i = 0; i < 6; ++i) out.F32(0.0f);  // view position and view vector

  if (summary) {
    summary->objects = static_cast<int>(parts.size());
    summary->triangles = triangles;
    summary->materials = names;
    summary->textures.clear();
    for (const ObjMaterial& m : mesh.materialList) summary->textures.push_back(m.texture);
    summary->notes = notes;
  }
  return true;
}

bool ConvertObjToModel(const std::string& objText, std::vector<uint8_t>* model, std::string* error,
                       ObjConversionSummary* summary, const ObjFileReader& readFile) {
  ObjMesh mesh;
  return ReadObj(objText, &mesh, error, readFile) && WriteModelBytes(mesh, model, error, summary);
}

bool ConvertObjFile(const std::string& path, std::vector<uint8_t>* model, std::string* error,
                    ObjConversionSummary* summary) {
  ObjMesh mesh;
  if (!ReadObjFile(path, &mesh, error)) return false;
  if (!WriteModelBytes(mesh, model, error, summary)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}
