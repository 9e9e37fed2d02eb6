// Helpers for the toolkit tests: a scratch working directory, and writers of model files
// and BMP files byte by byte.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace toolkit_test {

// Makes a fresh directory and works in it until destroyed (the model loader writes
// test.txt into the current directory).
class ScratchDir {
 public:
  ScratchDir() : previous_(std::filesystem::current_path()) {
    char pattern[] = "/tmp/toolkit_test.XXXXXX";
    path_ = mkdtemp(pattern);
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::string path_;
};

inline void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadText(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Little-endian byte building.
class Bytes {
 public:
  Bytes& U8(uint8_t v) {
    data.push_back(v);
    return *this;
  }
  Bytes& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  Bytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  Bytes& F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return U32(bits);
  }
  Bytes& Text(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Append(const Bytes& other) {
    data.insert(data.end(), other.data.begin(), other.data.end());
    return *this;
  }
  std::vector<uint8_t> data;
};

struct Vertex {
  float x, y, z, u, v;
};

// Chunks of the model format.
inline Bytes ObjectChunk(int32_t slot, const std::vector<Vertex>& vertices, float px, float py,
                         float pz, const std::vector<std::vector<uint16_t>>& faces) {
  Bytes b;
  b.U16(0x1010).I32(slot).U32(static_cast<uint32_t>(vertices.size()));
  for (const Vertex& v : vertices) b.F32(v.x).F32(v.y).F32(v.z);
  for (const Vertex& v : vertices) b.F32(v.u).F32(v.v);
  b.F32(px).F32(py).F32(pz).U16(static_cast<uint16_t>(faces.size()));
  for (const auto& f : faces) b.U16(f[0]).U16(f[1]).U16(f[2]);
  return b;
}
inline Bytes MaterialChunk(const std::string& name) {
  return Bytes().U16(0xF1D2).Text(name + "#");
}
inline Bytes AssignChunk(const std::string& name, const std::vector<uint16_t>& faces) {
  Bytes b;
  b.U16(0x0101).Text(name + "#").U16(static_cast<uint16_t>(faces.size()));
  for (uint16_t k : faces) b.U16(k);
  return b;
}
inline Bytes LightChunk(float x, float y, float z, float r, float g, float b) {
  return Bytes().U16(0x3AD5).F32(x).F32(y).F32(z).F32(r).F32(g).F32(b);
}
inline Bytes EndAndTrailer(float vx = 0, float vy = 0, float vz = 0) {
  return Bytes().U16(0xD2E3).F32(vx).F32(vy).F32(vz).F32(0).F32(0).F32(-1);
}

// A BMP with a 40-byte header; `rows` are the stored rows, padding included.
inline std::vector<uint8_t> Bmp(int32_t width, int32_t height, uint16_t bits,
                                const std::vector<uint8_t>& rows,
                                const std::vector<uint8_t>& palette = {}, uint32_t compression = 0,
                                uint32_t coloursUsed = 0, const std::vector<uint8_t>& masks = {}) {
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(masks.size() + palette.size());
  Bytes b;
  b.Text("BM").U32(offset + static_cast<uint32_t>(rows.size())).U32(0).U32(offset);
  b.U32(40).I32(width).I32(height).U16(1).U16(bits).U32(compression);
  b.U32(static_cast<uint32_t>(rows.size())).U32(2835).U32(2835).U32(coloursUsed).U32(0);
  b.data.insert(b.data.end(), masks.begin(), masks.end());
  b.data.insert(b.data.end(), palette.begin(), palette.end());
  b.data.insert(b.data.end(), rows.begin(), rows.end());
  return b.data;
}

}  // namespace toolkit_test
