// What the STL, PLY and glTF readers share when they fill the one mesh the viewer and
// obj2model take: positions with their colours kept in step, and a face's end.
#pragma once

#include <cmath>
#include <cstdint>

#include "tools/model_readers/obj_reader.h"

// Appends a position; `rgba` may be null. Colours are kept for every position or none: the
// first colour gives the positions before it white, and a position without one after it
// gets white too. Returns the position's number.
inline int32_t AddMeshPosition(ObjMesh* mesh, const float xyz[3], const uint8_t* rgba) {
  const size_t count = mesh->positions.size() / 3;
  if (rgba && mesh->colors.empty()) mesh->colors.assign(4 * count, 255);
  mesh->positions.insert(mesh->positions.end(), xyz, xyz + 3);
  if (rgba) {
    mesh->colors.insert(mesh->colors.end(), rgba, rgba + 4);
  } else if (!mesh->colors.empty()) {
    mesh->colors.insert(mesh->colors.end(), 4, 255);
  }
  return static_cast<int32_t>(count);
}

// Ends a face whose corners were pushed since the last one, with material `material`.
inline void EndMeshFace(ObjMesh* mesh, int32_t material) {
  mesh->faceEnds.push_back(static_cast<uint32_t>(mesh->corners.size()));
  mesh->materials.push_back(material);
}

inline bool IsFinite3(const float v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// A double as a float, numbers beyond float's range becoming infinite (a plain conversion
// of those is undefined).
inline float ToFloat(double v) {
  constexpr double kMost = 3.4028234663852886e38;
  if (v > kMost) return HUGE_VALF;
  if (v < -kMost) return -HUGE_VALF;
  return static_cast<float>(v);
}

// A colour channel of 0..1 as a byte.
inline uint8_t ColourByte(double v) {
  return static_cast<uint8_t>(std::lround((v > 0 ? (v < 1 ? v : 1.0) : 0.0) * 255.0));
}
