// Reading STL files into the one mesh.
#include "tools/model_readers/stl_reader.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "tools/model_readers/mesh_parts.h"
#include "tools/model_readers/obj_text.h"

namespace {

constexpr size_t kHeaderBytes = 80;
constexpr size_t kTriangleBytes = 50;

float LittleF32(const char* p) {
  const uint32_t bits = static_cast<uint32_t>(static_cast<uint8_t>(p[0])) |
                        static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8 |
                        static_cast<uint32_t>(static_cast<uint8_t>(p[2])) << 16 |
                        static_cast<uint32_t>(static_cast<uint8_t>(p[3])) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t LittleU32(const char* p) {
  return static_cast<uint32_t>(static_cast<uint8_t>(p[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(p[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(p[3])) << 24;
}

uint8_t FiveBits(unsigned value) {
  return static_cast<uint8_t>((value & 31u) * 255u / 31u);
}

// How a binary STL's two attribute bytes carry a colour, if they do.
struct StlColours {
  bool magics = false;                         // Materialise: red in the low bits
  uint8_t fallback[4] = {255, 255, 255, 255};  // Magics' "COLOR=" for facets without their own

  // False when the facet has no colour of its own (and no file colour stands in).
  bool Facet(uint16_t attribute, uint8_t rgba[4]) const {
    const unsigned a = attribute;
    if (magics) {
      if (a & 0x8000u) {
        std::memcpy(rgba, fallback, 4);
        return true;
      }
      rgba[0] = FiveBits(a), rgba[1] = FiveBits(a >> 5), rgba[2] = FiveBits(a >> 10);
    } else {
      if (!(a & 0x8000u)) return false;  // VisCAM and SolidView: bit 15 says the colour is valid
      rgba[2] = FiveBits(a), rgba[1] = FiveBits(a >> 5), rgba[0] = FiveBits(a >> 10);
    }
    rgba[3] = 255;
    return true;
  }
};

StlColours HeaderColours(std::string_view header) {
  StlColours colours;
  const size_t at = header.find("COLOR=");
  if (at != std::string_view::npos && at + 10 <= header.size()) {
    colours.magics = true;
    for (int i = 0; i < 4; ++i) colours.fallback[i] = static_cast<uint8_t>(header[at + 6 + i]);
  }
  return colours;
}

void AddPlainMaterial(ObjMesh* mesh) {
  ObjMaterial material;
  material.name = "default";
  mesh->materialList.push_back(material);
}

// The triangles straight into vertex arrays, three vertices a facet with its normal at
// unit length (turned round where it points against the facet's winding) and its colour.
// False with *error empty where a facet's normal has no direction (its corners then get
// normals made from the facets around them, which the corners' path works out).
bool DirectStl(std::string_view bytes, uint32_t count, IndexedMesh* arrays, std::string* error) {
  const StlColours colours = HeaderColours(bytes.substr(0, kHeaderBytes));
  bool anyColour = false;
  arrays->vertices.resize(3 * size_t{count});
  arrays->indices.resize(3 * size_t{count});
  for (uint32_t t = 0; t < count; ++t) {
    const char* record = bytes.data() + kHeaderBytes + 4 + kTriangleBytes * size_t{t};
    float v[12];
    for (int i = 0; i < 12; ++i) v[i] = LittleF32(record + 4 * i);
    for (int k = 1; k < 4; ++k) {
      if (!IsFinite3(v + 3 * k)) {
        *error = "triangle " + std::to_string(t + 1) + " at byte " +
                 std::to_string(record - bytes.data()) +
                 ": a corner's position is not a finite number";
        return false;
      }
    }
    float* n = v;
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    for (int i = 0; i < 3; ++i) n[i] /= length;
    const float u[3] = {v[6] - v[3], v[7] - v[4], v[8] - v[5]};
    const float w[3] = {v[9] - v[3], v[10] - v[4], v[11] - v[5]};
    const float face[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                           u[0] * w[1] - u[1] * w[0]};
    if (n[0] * face[0] + n[1] * face[1] + n[2] * face[2] < 0.0f) {
      for (int i = 0; i < 3; ++i) n[i] = -n[i];
    }
    uint8_t rgba[4] = {255, 255, 255, 255};
    const uint16_t attribute = static_cast<uint16_t>(static_cast<uint8_t>(record[48]) |
                                                     static_cast<uint8_t>(record[49]) << 8);
    anyColour = colours.Facet(attribute, rgba) || anyColour;
    for (int k = 0; k < 3; ++k) {
      const size_t at = 3 * size_t{t} + static_cast<size_t>(k);
      MeshVertex& vertex = arrays->vertices[at];
      std::memcpy(vertex.position, v + 3 + 3 * k, sizeof vertex.position);
      std::memcpy(vertex.normal, n, sizeof vertex.normal);
      vertex.uv[0] = vertex.uv[1] = 0.0f;
      std::memcpy(vertex.color, rgba, sizeof vertex.color);
      arrays->indices[at] = static_cast<uint32_t>(at);
    }
  }
  arrays->colored = anyColour;
  if (count > 0) arrays->ranges.push_back({0, 0, 3 * count});
  arrays->objects = count > 0 ? 1 : 0;
  return true;
}

}  // namespace

bool ReadBinaryStl(std::string_view bytes, ObjMesh* mesh, std::string* error, IndexedMesh* arrays) {
  *mesh = ObjMesh();
  AddPlainMaterial(mesh);
  if (arrays) *arrays = IndexedMesh();
  if (bytes.size() < kHeaderBytes + 4) {
    *error = "byte " + std::to_string(bytes.size()) + ": the file ends inside the header";
    return false;
  }
  const uint32_t count = LittleU32(bytes.data() + kHeaderBytes);
  const size_t room = (bytes.size() - kHeaderBytes - 4) / kTriangleBytes;
  if (room < count) {
    const size_t at = kHeaderBytes + 4 + room * kTriangleBytes;
    *error = "triangle " + std::to_string(room + 1) + " of " + std::to_string(count) + " at byte " +
             std::to_string(at) + ": the file ends inside it";
    return false;
  }
  if (arrays) {
    error->clear();
    if (DirectStl(bytes, count, arrays, error)) return true;
    *arrays = IndexedMesh();
    if (!error->empty()) return false;
  }
  const StlColours colours = HeaderColours(bytes.substr(0, kHeaderBytes));
  bool anyColour = false;
  std::vector<uint8_t> facetColours;  // kept aside until some facet turns out to have one
  mesh->positions.reserve(9 * static_cast<size_t>(count));
  mesh->normals.reserve(3 * static_cast<size_t>(count));
  mesh->corners.reserve(3 * static_cast<size_t>(count));
  mesh->faceEnds.reserve(count);
  mesh->materials.reserve(count);
  facetColours.reserve(4 * static_cast<size_t>(count));
  for (uint32_t t = 0; t < count; ++t) {
    const char* record = bytes.data() + kHeaderBytes + 4 + kTriangleBytes * size_t{t};
    float v[12];
    for (int i = 0; i < 12; ++i) v[i] = LittleF32(record + 4 * i);
    for (int k = 1; k < 4; ++k) {
      if (!IsFinite3(v + 3 * k)) {
        *error = "triangle " + std::to_string(t + 1) + " at byte " +
                 std::to_string(record - bytes.data()) +
                 ": a corner's position is not a finite number";
        return false;
      }
    }
    const int32_t normal = static_cast<int32_t>(mesh->normals.size() / 3);
    mesh->normals.insert(mesh->normals.end(), v, v + 3);  // a zero normal is computed
    for (int k = 1; k < 4; ++k) {
      const int32_t p = static_cast<int32_t>(mesh->positions.size() / 3);
      mesh->positions.insert(mesh->positions.end(), v + 3 * k, v + 3 * k + 3);
      mesh->corners.push_back({p, -1, normal});
    }
    EndMeshFace(mesh, 0);
    uint8_t rgba[4] = {255, 255, 255, 255};
    const uint16_t attribute = static_cast<uint16_t>(static_cast<uint8_t>(record[48]) |
                                                     static_cast<uint8_t>(record[49]) << 8);
    anyColour = colours.Facet(attribute, rgba) || anyColour;
    facetColours.insert(facetColours.end(), rgba, rgba + 4);
  }
  if (anyColour) {
    mesh->colors.reserve(3 * facetColours.size());
    for (size_t t = 0; t < count; ++t) {
      for (int k = 0; k < 3; ++k) {
        mesh->colors.insert(mesh->colors.end(), &facetColours[4 * t], &facetColours[4 * t + 4]);
      }
    }
  }
  return true;
}

bool ReadAsciiStl(std::string_view text, ObjMesh* mesh, std::string* error) {
  *mesh = ObjMesh();
  AddPlainMaterial(mesh);
  std::vector<std::string_view> w;
  size_t line = 0, start = 0;
  bool inFacet = false;
  int32_t normal = -1;
  size_t facetStart = 0;
  const auto fail = [&](const std::string& what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
  };
  const auto numbers = [&](size_t from, float out[3]) {
    for (size_t i = 0; i < 3; ++i) {
      if (from + i >= w.size() || !ParseObjFloat(w[from + i], &out[i])) return false;
    }
    return true;
  };
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    SplitObjWords(text.substr(start, end - start), &w);
    start = end + 1;
    if (w.empty()) continue;
    const std::string_view key = w[0];
    if (key == "solid") {
      const uint32_t faces = static_cast<uint32_t>(mesh->Faces());
      if (faces > (mesh->groupStarts.empty() ? 0 : mesh->groupStarts.back())) {
        mesh->groupStarts.push_back(faces);
      }
    } else if (key == "facet") {
      if (inFacet) return fail("a facet inside a facet (no endfacet before it)");
      inFacet = true;
      facetStart = mesh->corners.size();
      float n[3] = {0, 0, 0};
      if (w.size() > 1 && (w[1] != "normal" || !numbers(2, n))) return fail("bad facet normal");
      normal = static_cast<int32_t>(mesh->normals.size() / 3);
      mesh->normals.insert(mesh->normals.end(), n, n + 3);
    } else if (key == "vertex") {
      if (!inFacet) return fail("a vertex outside a facet");
      float p[3];
      if (!numbers(1, p)) return fail("a vertex needs x, y and z");
      if (!IsFinite3(p)) return fail("a vertex's position is not a finite number");
      const int32_t number = static_cast<int32_t>(mesh->positions.size() / 3);
      mesh->positions.insert(mesh->positions.end(), p, p + 3);
      mesh->corners.push_back({number, -1, normal});
    } else if (key == "endfacet") {
      if (!inFacet) return fail("endfacet without its facet");
      inFacet = false;
      if (mesh->corners.size() - facetStart < 3) return fail("a facet needs three vertices");
      EndMeshFace(mesh, 0);
    } else if (key != "outer" && key != "endloop" && key != "endsolid") {
      return fail("'" + PrintableText(key) + "' is not an STL statement");
    }
  }
  if (inFacet) return fail("the file ends inside a facet");
  return true;
}
