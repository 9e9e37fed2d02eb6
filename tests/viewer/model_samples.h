// Small model files of every kind the readers take, made here: a textured square in glTF
// (its buffer in a .bin, a data URI or a GLB's chunk), a unit cube in binary and ASCII STL
// and in PLY of each encoding, and an 8 x 8 BMP picture of one colour.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace model_samples {

inline void Put32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s->push_back(static_cast<char>(v >> (8 * i)));
}
inline void PutF(std::string* s, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  Put32(s, v);
}

// An 8 x 8 24-bit BMP of one colour.
inline std::string Bmp(uint8_t r, uint8_t g, uint8_t b) {
  std::string s = "BM";
  Put32(&s, 54 + 192);
  Put32(&s, 0);
  Put32(&s, 54);
  Put32(&s, 40);
  Put32(&s, 8);
  Put32(&s, 8);
  s += std::string("\x01\x00\x18\x00", 4);
  for (int i = 0; i < 6; ++i) Put32(&s, 0);
  for (int i = 0; i < 64; ++i)
    s += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
  return s;
}

inline std::string Base64(const std::string& in) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < in.size(); i += 3) {
    uint32_t n = static_cast<uint8_t>(in[i]) << 16;
    if (i + 1 < in.size()) n |= static_cast<uint8_t>(in[i + 1]) << 8;
    if (i + 2 < in.size()) n |= static_cast<uint8_t>(in[i + 2]);
    out += k[n >> 18 & 63];
    out += k[n >> 12 & 63];
    out += i + 1 < in.size() ? k[n >> 6 & 63] : '=';
    out += i + 2 < in.size() ? k[n & 63] : '=';
  }
  return out;
}

// The square from (-1, -1) to (1, 1) at z = 0: positions (48 bytes), normals +z (48),
// texture coordinates (32), six 16-bit indices (12): 140 bytes.
inline std::string SquareBin() {
  std::string s;
  const float p[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (const auto& v : p) PutF(&s, v[0]), PutF(&s, v[1]), PutF(&s, 0);
  for (int i = 0; i < 4; ++i) PutF(&s, 0), PutF(&s, 0), PutF(&s, 1);
  const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  for (const auto& t : uv) PutF(&s, t[0]), PutF(&s, t[1]);
  for (uint16_t i : {0, 1, 2, 0, 2, 3}) s += {static_cast<char>(i), 0};
  return s;
}

// The square's glTF: `buffer` is the buffer's JSON object, `image` the image's; `extra`
// goes into the top level (",\"key\": ...") and `nodes` replaces the one node.
inline std::string SquareJson(const std::string& buffer, const std::string& image,
                              const std::string& extra = "",
                              const std::string& nodes = "[{\"mesh\":0}]") {
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":)" + nodes +
         R"(,"meshes":[{"primitives":[{"attributes":{"POSITION":0,"NORMAL":1,"TEXCOORD_0":2},
"indices":3,"material":0}]}],"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],
"textures":[{"source":0}],"images":[)" +
         image + R"(],"buffers":[)" + buffer + R"(],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":48},{"buffer":0,"byteOffset":48,"byteLength":48},
{"buffer":0,"byteOffset":96,"byteLength":32},{"buffer":0,"byteOffset":128,"byteLength":12},
{"buffer":0,"byteOffset":140,"byteLength":246}],
"accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3","min":[-1,-1,0],"max":[1,1,0]},
{"bufferView":1,"componentType":5126,"count":4,"type":"VEC3"},
{"bufferView":2,"componentType":5126,"count":4,"type":"VEC2"},
{"bufferView":3,"componentType":5123,"count":6,"type":"SCALAR"}])" +
         extra + "}";
}

// A GLB of `json` and `bin` (the BIN chunk padded to 4 bytes).
inline std::string Glb(std::string json, std::string bin) {
  while (json.size() % 4) json += ' ';
  while (bin.size() % 4) bin += '\0';
  std::string s = "glTF";
  Put32(&s, 2);
  Put32(&s, static_cast<uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
  Put32(&s, static_cast<uint32_t>(json.size()));
  s += "JSON" + json;
  Put32(&s, static_cast<uint32_t>(bin.size()));
  s += std::string("BIN\0", 4) + bin;
  return s;
}

// The unit cube's six faces as corner numbers of its vertices (x, y, z each 0 or 1,
// vertex number 4x + 2y + z), counter-clockwise seen from outside.
constexpr int kCubeQuads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                  {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
inline float CubeCoord(int vertex, int axis) {
  return static_cast<float>(vertex >> (2 - axis) & 1);
}

// The cube's twelve triangles as a binary STL whose header says "solid"; facet normals
// written as zero when `zeroNormals`.
inline std::string CubeStlBinary(bool zeroNormals = false) {
  std::string s = "solid cube";
  s.resize(80, ' ');
  Put32(&s, 12);
  for (const auto& q : kCubeQuads) {
    const int tris[2][3] = {{q[0], q[1], q[2]}, {q[0], q[2], q[3]}};
    for (const auto& t : tris) {
      float n[3] = {0, 0, 0};
      // The face's normal: the axis on which all four corners agree, towards that side.
      for (int a = 0; a < 3 && !zeroNormals; ++a) {
        const float c = CubeCoord(q[0], a);
        bool same = true;
        for (int k = 1; k < 4; ++k) same = same && CubeCoord(q[k], a) == c;
        if (same) n[a] = c > 0 ? 1.0f : -1.0f;
      }
      for (float f : n) PutF(&s, f);
      for (int v : t) {
        for (int a = 0; a < 3; ++a) PutF(&s, CubeCoord(v, a));
      }
      s += std::string(2, '\0');
    }
  }
  return s;
}

inline std::string CubeStlAscii() {
  std::string s = "solid cube\n";
  for (const auto& q : kCubeQuads) {
    const int tris[2][3] = {{q[0], q[1], q[2]}, {q[0], q[2], q[3]}};
    for (const auto& t : tris) {
      s += " facet normal 0 0 0\n  outer loop\n";
      for (int v : t) {
        s += "   vertex " + std::to_string(CubeCoord(v, 0)) + " " +
             std::to_string(CubeCoord(v, 1)) + " " + std::to_string(CubeCoord(v, 2)) + "\n";
      }
      s += "  endloop\n endfacet\n";
    }
  }
  return s + "endsolid cube\n";
}

// The cube in PLY: "ascii", "binary_little_endian" or "binary_big_endian"; each vertex with
// a colour, each face a quad of 32-bit indices, and an element the reader does not know.
inline std::string CubePly(const std::string& format) {
  std::string s = "ply\nformat " + format +
                  " 1.0\ncomment made by hand\nelement vertex 8\nproperty float x\n"
                  "property float y\nproperty float z\nproperty uchar red\nproperty uchar green\n"
                  "property uchar blue\nelement face 6\nproperty list uchar int vertex_indices\n"
                  "element extra 1\nproperty short junk\nend_header\n";
  const bool big = format == "binary_big_endian";
  const auto word = [&s, big](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      s.push_back(static_cast<char>(v >> (8 * (big ? bytes - 1 - i : i))));
    }
  };
  for (int v = 0; v < 8; ++v) {
    if (format == "ascii") {
      s += std::to_string(CubeCoord(v, 0)) + " " + std::to_string(CubeCoord(v, 1)) + " " +
           std::to_string(CubeCoord(v, 2)) + " 200 100 50\n";
      continue;
    }
    for (int a = 0; a < 3; ++a) {
      uint32_t bits;
      const float f = CubeCoord(v, a);
      std::memcpy(&bits, &f, 4);
      word(bits, 4);
    }
    s += {static_cast<char>(200), 100, 50};
  }
  for (const auto& q : kCubeQuads) {
    if (format == "ascii") {
      s += "4 " + std::to_string(q[0]) + " " + std::to_string(q[1]) + " " + std::to_string(q[2]) +
           " " + std::to_string(q[3]) + "\n";
      continue;
    }
    s += '\x04';
    for (int k = 0; k < 4; ++k) word(static_cast<uint32_t>(q[k]), 4);
  }
  if (format == "ascii") return s + "7\n";
  word(7, 2);
  return s;
}

}  // namespace model_samples
