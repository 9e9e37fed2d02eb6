// Reading PLY files into the one mesh: the header first, then each element's records in
// the order the header declares them, read through one cursor for either encoding.
#include "tools/model_readers/ply_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/model_readers/mesh_parts.h"
#include "tools/model_readers/obj_text.h"

namespace {

enum class PlyType { kInt8, kUint8, kInt16, kUint16, kInt32, kUint32, kFloat32, kFloat64 };

bool TypeFromName(std::string_view name, PlyType* type) {
  static const struct {
    const char* name;
    PlyType type;
  } kNames[] = {
      {"char", PlyType::kInt8},      {"int8", PlyType::kInt8},       {"uchar", PlyType::kUint8},
      {"uint8", PlyType::kUint8},    {"short", PlyType::kInt16},     {"int16", PlyType::kInt16},
      {"ushort", PlyType::kUint16},  {"uint16", PlyType::kUint16},   {"int", PlyType::kInt32},
      {"int32", PlyType::kInt32},    {"uint", PlyType::kUint32},     {"uint32", PlyType::kUint32},
      {"float", PlyType::kFloat32},  {"float32", PlyType::kFloat32}, {"double", PlyType::kFloat64},
      {"float64", PlyType::kFloat64}};
  for (const auto& entry : kNames) {
    if (name == entry.name) return *type = entry.type, true;
  }
  return false;
}

size_t TypeSize(PlyType type) {
  switch (type) {
    case PlyType::kInt8:
    case PlyType::kUint8:
      return 1;
    case PlyType::kInt16:
    case PlyType::kUint16:
      return 2;
    case PlyType::kInt32:
    case PlyType::kUint32:
    case PlyType::kFloat32:
      return 4;
    case PlyType::kFloat64:
      return 8;
  }
  return 1;
}

bool IsIntegral(PlyType type) {
  return type != PlyType::kFloat32 && type != PlyType::kFloat64;
}

struct PlyProperty {
  std::string name;
  PlyType type = PlyType::kFloat32;
  bool list = false;
  PlyType countType = PlyType::kUint8;
};

struct PlyElement {
  std::string name;
  uint64_t count = 0;
  std::vector<PlyProperty> properties;
};

enum class PlyFormat { kAscii, kLittle, kBig };

// The values of the records, one at a time, from ASCII words or binary bytes; where it
// stands is said as a line or a byte offset.
class Cursor {
 public:
  Cursor(std::string_view bytes, size_t at, size_t line, PlyFormat format)
      : bytes_(bytes), at_(at), line_(line), format_(format) {}

  bool Read(PlyType type, double* value) {
    return format_ == PlyFormat::kAscii ? Word(type, value) : Binary(type, value);
  }
  std::string Where() const {
    return format_ == PlyFormat::kAscii ? "line " + std::to_string(line_)
                                        : "byte " + std::to_string(at_);
  }
  const std::string& problem() const { return problem_; }
  bool Fail(const std::string& problem) {
    problem_ = problem;
    return false;
  }

 private:
  bool Word(PlyType type, double* value) {
    while (at_ < bytes_.size() && std::strchr(" \t\r\n\f\v", bytes_[at_]) && bytes_[at_]) {
      if (bytes_[at_] == '\n') ++line_;
      ++at_;
    }
    size_t end = at_;
    while (end < bytes_.size() && !std::strchr(" \t\r\n\f\v", bytes_[end]) && bytes_[end]) ++end;
    if (end == at_) return problem_ = "the file ends inside it", false;
    const std::string_view word = bytes_.substr(at_, end - at_);
    at_ = end;
    float f;
    if (!ParseObjFloat(word, &f)) return problem_ = "bad number " + PrintableText(word), false;
    // Integers beyond float's 24 bits: read again exactly.
    if (IsIntegral(type) && std::fabs(f) > 16777216.0f) {
      *value = std::strtod(std::string(word).c_str(), nullptr);
    } else {
      *value = f;
    }
    return true;
  }

  bool Binary(PlyType type, double* value) {
    const size_t size = TypeSize(type);
    if (bytes_.size() - at_ < size || at_ > bytes_.size()) {
      return problem_ = "the file ends inside it", false;
    }
    uint8_t b[8];
    std::memcpy(b, bytes_.data() + at_, size);
    at_ += size;
    if (format_ == PlyFormat::kBig) std::reverse(b, b + size);
    switch (type) {
      case PlyType::kInt8:
        *value = static_cast<int8_t>(b[0]);
        break;
      case PlyType::kUint8:
        *value = b[0];
        break;
      case PlyType::kInt16:
        *value = static_cast<int16_t>(b[0] | b[1] << 8);
        break;
      case PlyType::kUint16:
        *value = static_cast<uint16_t>(b[0] | b[1] << 8);
        break;
      case PlyType::kInt32:
      case PlyType::kUint32:
      case PlyType::kFloat32: {
        const uint32_t bits =
            uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        if (type == PlyType::kInt32) {
          *value = static_cast<int32_t>(bits);
        } else if (type == PlyType::kUint32) {
          *value = bits;
        } else {
          float f;
          std::memcpy(&f, &bits, sizeof f);
          *value = f;
        }
        break;
      }
      case PlyType::kFloat64: {
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
        std::memcpy(value, &bits, sizeof *value);
        break;
      }
    }
    return true;
  }

  std::string_view bytes_;
  size_t at_, line_;
  PlyFormat format_;
  std::string problem_;
};

struct Header {
  PlyFormat format = PlyFormat::kAscii;
  std::vector<PlyElement> elements;
  std::string texture;
  size_t dataStart = 0, dataLine = 0;  // where the records begin
};

bool ReadHeader(std::string_view bytes, Header* header, std::string* error) {
  std::vector<std::string_view> w;
  size_t start = 0, line = 0;
  bool formatSeen = false;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) break;
    ++line;
    const std::string_view text = bytes.substr(start, end - start);
    SplitObjWords(text, &w);
    start = end + 1;
    const auto fail = [&](const std::string& what) {
      *error = "header line " + std::to_string(line) + ": " + what;
      return false;
    };
    if (w.empty() || w[0] == "ply" || w[0] == "obj_info") continue;
    if (w[0] == "end_header") {
      if (!formatSeen) return fail("no format line before end_header");
      header->dataStart = start;
      header->dataLine = line + 1;
      return true;
    }
    if (w[0] == "comment") {
      if (w.size() > 2 && w[1] == "TextureFile")
        header->texture = ObjPathFromName(JoinObjWords(w, 2));
    } else if (w[0] == "format") {
      if (w.size() < 2) return fail("format needs a name");
      if (w[1] == "ascii") {
        header->format = PlyFormat::kAscii;
      } else if (w[1] == "binary_little_endian") {
        header->format = PlyFormat::kLittle;
      } else if (w[1] == "binary_big_endian") {
        header->format = PlyFormat::kBig;
      } else {
        return fail("unknown format " + PrintableText(w[1]));
      }
      formatSeen = true;
    } else if (w[0] == "element") {
      PlyElement element;
      float count = 0;
      if (w.size() < 3 || !ParseObjFloat(w[2], &count) || !(count >= 0) ||
          count != std::floor(count) || count > 4e9f) {
        return fail("element needs a name and a count");
      }
      element.name = std::string(w[1]);
      element.count = static_cast<uint64_t>(std::strtoull(std::string(w[2]).c_str(), nullptr, 10));
      header->elements.push_back(element);
    } else if (w[0] == "property") {
      if (header->elements.empty()) return fail("a property before any element");
      PlyProperty property;
      const bool list = w.size() >= 2 && w[1] == "list";
      if (list ? w.size() < 5 || !TypeFromName(w[2], &property.countType) ||
                     !IsIntegral(property.countType) || !TypeFromName(w[3], &property.type)
               : w.size() < 3 || !TypeFromName(w[1], &property.type)) {
        return fail("bad property " + PrintableText(JoinObjWords(w, 1), 40));
      }
      property.list = list;
      property.name = std::string(w[list ? 4 : 2]);
      header->elements.back().properties.push_back(property);
    } else {
      return fail("'" + PrintableText(w[0]) + "' is not a PLY header line");
    }
  }
  *error = "the header has no end_header line";
  return false;
}

// Where each vertex property the mesh keeps is among the element's properties (-1: none).
struct VertexRoles {
  int position[3] = {-1, -1, -1}, normal[3] = {-1, -1, -1}, colour[4] = {-1, -1, -1, -1};
  int uv[2] = {-1, -1};
  bool byteColour = true;

  explicit VertexRoles(const PlyElement& e) {
    for (size_t i = 0; i < e.properties.size(); ++i) {
      const PlyProperty& p = e.properties[i];
      if (p.list) continue;
      const int n = static_cast<int>(i);
      const std::string& s = p.name;
      if (s == "x") position[0] = n;
      if (s == "y") position[1] = n;
      if (s == "z") position[2] = n;
      if (s == "nx") normal[0] = n;
      if (s == "ny") normal[1] = n;
      if (s == "nz") normal[2] = n;
      if (s == "red" || s == "diffuse_red" || s == "r") colour[0] = n;
      if (s == "green" || s == "diffuse_green" || s == "g") colour[1] = n;
      if (s == "blue" || s == "diffuse_blue" || s == "b") colour[2] = n;
      if (s == "alpha" || s == "a") colour[3] = n;
      if (s == "s" || s == "u" || s == "texture_u" || s == "texture_s") uv[0] = n;
      if (s == "t" || s == "v" || s == "texture_v" || s == "texture_t") uv[1] = n;
      if ((s == "red" || s == "r") && !IsIntegral(p.type)) byteColour = false;
    }
  }
  bool HasNormals() const { return normal[0] >= 0 && normal[1] >= 0 && normal[2] >= 0; }
  bool HasColours() const { return colour[0] >= 0 && colour[1] >= 0 && colour[2] >= 0; }
  bool HasUvs() const { return uv[0] >= 0 && uv[1] >= 0; }
};

class PlyReader {
 public:
  PlyReader(const Header& header, Cursor* cursor, ObjMesh* mesh, std::string* error)
      : header_(header), cursor_(*cursor), mesh_(mesh), error_(error) {}

  bool Run() {
    for (const PlyElement& element : header_.elements) {
      const bool ok = element.name == "vertex" && vertices_ < 0 ? Vertices(element)
                      : element.name == "face"                  ? Faces(element)
                                                                : Skip(element);
      if (!ok) return false;
    }
    return true;
  }

 private:
  bool Fail(const PlyElement& e, uint64_t record, const std::string& what) {
    *error_ = "element " + PrintableText(e.name) + " " + std::to_string(record) + " at " +
              cursor_.Where() + ": " + what;
    return false;
  }
  // What to reserve for `count` records: a header's count is not trusted beyond a size.
  size_t Plausible(uint64_t count) const {
    return static_cast<size_t>(std::min<uint64_t>(count, 1u << 24));
  }

  bool Vertices(const PlyElement& e) {
    const VertexRoles roles(e);
    if (roles.position[0] < 0 || roles.position[1] < 0 || roles.position[2] < 0) {
      *error_ = "the vertex element has no x, y and z";
      return false;
    }
    vertices_ = static_cast<int64_t>(e.count);
    if (e.count > static_cast<uint64_t>(INT32_MAX)) return Fail(e, 0, "too many vertices");
    mesh_->positions.reserve(3 * Plausible(e.count));
    std::vector<double> values(e.properties.size());
    for (uint64_t r = 0; r < e.count; ++r) {
      for (size_t i = 0; i < e.properties.size(); ++i) {
        if (!ReadProperty(e.properties[i], &values[i])) return Fail(e, r, cursor_.problem());
      }
      float p[3];
      for (int k = 0; k < 3; ++k) p[k] = ToFloat(values[roles.position[k]]);
      if (!IsFinite3(p)) return Fail(e, r, "the position is not a finite number");
      uint8_t rgba[4] = {255, 255, 255, 255};
      for (int k = 0; k < 4 && roles.HasColours(); ++k) {
        if (roles.colour[k] < 0) continue;
        const double v = values[roles.colour[k]];
        rgba[k] =
            roles.byteColour ? static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)) : ColourByte(v);
      }
      AddMeshPosition(mesh_, p, roles.HasColours() ? rgba : nullptr);
      if (roles.HasNormals()) {
        for (int k = 0; k < 3; ++k) {
          mesh_->normals.push_back(ToFloat(values[roles.normal[k]]));
        }
      }
      if (roles.HasUvs()) {
        mesh_->uvs.push_back(ToFloat(values[roles.uv[0]]));
        mesh_->uvs.push_back(ToFloat(values[roles.uv[1]]));
      }
    }
    hasNormals_ = roles.HasNormals();
    hasUvs_ = roles.HasUvs();
    return true;
  }

  bool Faces(const PlyElement& e) {
    int indexList = -1, uvList = -1;
    for (size_t i = 0; i < e.properties.size(); ++i) {
      const PlyProperty& p = e.properties[i];
      if (!p.list) continue;
      if (p.name == "vertex_indices" || p.name == "vertex_index" ||
          (indexList < 0 && p.name != "texcoord")) {
        indexList = static_cast<int>(i);
      }
      if (p.name == "texcoord") uvList = static_cast<int>(i);
    }
    if (indexList < 0) return Skip(e);
    if (!IsIntegral(e.properties[indexList].type)) {
      *error_ = "the face element's vertex list is not of integers";
      return false;
    }
    mesh_->faceEnds.reserve(Plausible(e.count));
    std::vector<double> values, uvs;
    for (uint64_t r = 0; r < e.count; ++r) {
      values.clear();
      uvs.clear();
      for (size_t i = 0; i < e.properties.size(); ++i) {
        const PlyProperty& p = e.properties[i];
        std::vector<double>* keep = static_cast<int>(i) == indexList ? &values
                                    : static_cast<int>(i) == uvList  ? &uvs
                                                                     : nullptr;
        if (!ReadList(p, keep)) return Fail(e, r, cursor_.problem());
      }
      if (values.size() < 3) {
        if (!fewNoted_) mesh_->notes.push_back("faces of fewer than three corners are skipped");
        fewNoted_ = true;
        continue;
      }
      const bool cornerUvs = uvs.size() == 2 * values.size();
      for (size_t k = 0; k < values.size(); ++k) {
        const double v = values[k];
        if (!(v >= 0 && v < static_cast<double>(std::max<int64_t>(vertices_, 0)))) {
          char number[32];  // whatever the file holds: -3, 1e40
          std::snprintf(number, sizeof number, "%.0f", v);
          return Fail(e, r,
                      std::string("vertex ") + number + " does not exist (" +
                          std::to_string(std::max<int64_t>(vertices_, 0)) + " vertices)");
        }
        const int32_t p = static_cast<int32_t>(v);
        int32_t t = hasUvs_ ? p : -1;
        if (cornerUvs) {
          t = static_cast<int32_t>(mesh_->uvs.size() / 2);
          mesh_->uvs.push_back(ToFloat(uvs[2 * k]));
          mesh_->uvs.push_back(ToFloat(uvs[2 * k + 1]));
        }
        mesh_->corners.push_back({p, t, hasNormals_ ? p : -1});
      }
      EndMeshFace(mesh_, 0);
    }
    return true;
  }

  bool Skip(const PlyElement& e) {
    for (uint64_t r = 0; r < e.count; ++r) {
      for (const PlyProperty& p : e.properties) {
        if (!ReadList(p, nullptr)) return Fail(e, r, cursor_.problem());
      }
    }
    if (e.name != "face" && e.name != "vertex" && e.count > 0) {
      mesh_->notes.push_back("elements '" + PrintableText(e.name) + "' are not kept");
    }
    return true;
  }

  bool ReadProperty(const PlyProperty& p, double* value) {
    if (!p.list) return cursor_.Read(p.type, value);
    *value = 0;
    return ReadList(p, nullptr);
  }

  // A property of either kind; a list's items go to `items` (when given).
  bool ReadList(const PlyProperty& p, std::vector<double>* items) {
    double count = 0;
    if (!p.list) {
      if (!cursor_.Read(p.type, &count)) return false;
      if (items) items->push_back(count);
      return true;
    }
    if (!cursor_.Read(p.countType, &count)) return false;
    if (!(count >= 0 && count <= 1e6))
      return cursor_.Fail("a list of " + std::to_string(count) + " items");
    for (int i = 0; i < static_cast<int>(count); ++i) {
      double item;
      if (!cursor_.Read(p.type, &item)) return false;
      if (items) items->push_back(item);
    }
    return true;
  }

  const Header& header_;
  Cursor& cursor_;
  ObjMesh* mesh_;
  std::string* error_;
  int64_t vertices_ = -1;
  bool hasNormals_ = false, hasUvs_ = false, fewNoted_ = false;
};

}  // namespace

bool ReadPly(std::string_view bytes, const std::string& folder, ObjMesh* mesh, std::string* error) {
  *mesh = ObjMesh();
  Header header;
  if (!ReadHeader(bytes, &header, error)) return false;
  ObjMaterial material;
  material.name = "default";
  if (!header.texture.empty()) {
    material.texture = IsAbsoluteObjPath(header.texture) ? header.texture : folder + header.texture;
  }
  mesh->materialList.push_back(material);
  Cursor cursor(bytes, header.dataStart, header.dataLine, header.format);
  PlyReader reader(header, &cursor, mesh, error);
  return reader.Run();
}
