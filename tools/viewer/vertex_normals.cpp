// Corner normals. Positions are welded by value first: exporters repeat a vertex along a
// texture seam or at a pole, and those copies must not make an edge. Most positions of a
// model are smooth and take their mean normal; only around the few that have a crease are
// the faces listed (a compressed adjacency) for each corner's own sum.
#include "tools/viewer/vertex_normals.h"

#include <cmath>
#include <cstring>

namespace {

// `v` scaled to unit length; false (and `v` unchanged) when it has no length to scale.
template <typename V>
bool Normalise(V* v, float* length = nullptr) {
  const float l = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
  if (length) *length = l;
  if (!(l > 0.0f) || !std::isfinite(l)) return false;
  *v = {v->x / l, v->y / l, v->z / l};
  return true;
}

template <typename V>
float Dot(const V& a, const V& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A position's bits, 0 and -0 alike, for hashing.
uint32_t Bits(float value) {
  value += 0.0f;  // -0 + 0 is +0
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

// Each position's number among the distinct positions (by value; 0 and -0 alike, NaN never
// equal to anything).
std::vector<uint32_t> WeldPositions(const std::vector<float>& positions, uint32_t* distinct) {
  const size_t count = positions.size() / 3;
  size_t capacity = 16;
  int bits = 4;
  while (capacity < 2 * count) capacity *= 2, ++bits;
  std::vector<int32_t> slots(capacity, -1);
  std::vector<uint32_t> weld(count);
  *distinct = 0;
  for (size_t p = 0; p < count; ++p) {
    const float* key = &positions[3 * p];
    uint64_t hash = Bits(key[0]) * 0x9E3779B97F4A7C15ull;
    hash = (hash ^ Bits(key[1])) * 0xC2B2AE3D27D4EB4Full;
    hash = (hash ^ Bits(key[2])) * 0x165667B19E3779F9ull;
    // The top bits of a multiplicative hash are the well mixed ones.
    for (size_t slot = static_cast<size_t>(hash >> (64 - bits));;
         slot = (slot + 1) & (capacity - 1)) {
      if (slots[slot] < 0) {
        slots[slot] = static_cast<int32_t>(p);
        weld[p] = (*distinct)++;
        break;
      }
      const float* other = &positions[3 * static_cast<size_t>(slots[slot])];
      if (other[0] == key[0] && other[1] == key[1] && other[2] == key[2]) {
        weld[p] = weld[static_cast<size_t>(slots[slot])];
        break;
      }
    }
  }
  return weld;
}

}  // namespace

CornerNormals::CornerNormals(const ObjMesh& mesh, float creaseDegrees) : mesh_(mesh) {
  const size_t cornerCount = mesh.corners.size();
  bool anyMade = false;
  for (size_t c = 0; c < cornerCount && !anyMade; ++c) {
    const int32_t n = mesh.corners[c].n;
    Vec v{0.0f, 0.0f, 0.0f};
    if (n >= 0) std::memcpy(&v, &mesh.normals[3 * static_cast<size_t>(n)], sizeof v);
    anyMade = !Normalise(&v);
  }
  if (!anyMade) return;  // the file has them all

  uint32_t distinct = 0;
  weld_ = WeldPositions(mesh.positions, &distinct);

  // Each face's normal and area, added to its corners' positions on the way: the sum of
  // the cross products of its fan, which for a polygon that is not flat is its mean.
  const size_t faces = mesh.Faces();
  unit_.resize(faces);
  area_.resize(faces);
  mean_.assign(distinct, Vec{0.0f, 0.0f, 0.0f});
  for (size_t f = 0; f < faces; ++f) {
    const ObjCorner* corners = &mesh.corners[mesh.FaceStart(f)];
    const uint32_t count = mesh.faceEnds[f] - mesh.FaceStart(f);
    const float* a = &mesh.positions[3 * static_cast<size_t>(corners[0].p)];
    Vec n{0.0f, 0.0f, 0.0f};
    for (uint32_t i = 1; i + 1 < count; ++i) {
      const float* b = &mesh.positions[3 * static_cast<size_t>(corners[i].p)];
      const float* c = &mesh.positions[3 * static_cast<size_t>(corners[i + 1].p)];
      const Vec u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const Vec v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      n = {n.x + u.y * v.z - u.z * v.y, n.y + u.z * v.x - u.x * v.z, n.z + u.x * v.y - u.y * v.x};
    }
    const Vec weighted = n;  // twice the area long
    if (!Normalise(&n, &area_[f])) n = {0.0f, 0.0f, 0.0f}, area_[f] = 0.0f;
    unit_[f] = n;
    if (area_[f] == 0.0f) continue;
    for (uint32_t k = 0; k < count; ++k) {
      Vec& m = mean_[weld_[corners[k].p]];
      m = {m.x + weighted.x, m.y + weighted.y, m.z + weighted.z};
    }
  }
  for (Vec& m : mean_) {
    if (!Normalise(&m)) m = {0.0f, 0.0f, 0.0f};
  }

  // Where every face at a position lies within half the crease angle of the mean, no two
  // of them are a crease apart and the mean is every corner's normal there.
  cosCrease_ = std::cos(creaseDegrees * 3.14159265f / 180.0f);
  const float cosHalf = std::cos(creaseDegrees * 0.5f * 3.14159265f / 180.0f);
  sharp_.assign(distinct, 0);
  bool anySharp = false;
  for (size_t f = 0; f < faces; ++f) {
    if (area_[f] == 0.0f) continue;
    for (uint32_t c = mesh.FaceStart(f); c < mesh.faceEnds[f]; ++c) {
      const uint32_t w = weld_[mesh.corners[c].p];
      if (Dot(unit_[f], mean_[w]) < cosHalf) sharp_[w] = 1, anySharp = true;
    }
  }
  if (!anySharp) return;
  start_.assign(distinct + 1, 0);
  for (const ObjCorner& corner : mesh.corners) {
    const uint32_t w = weld_[corner.p];
    if (sharp_[w]) ++start_[w + 1];
  }
  for (uint32_t w = 0; w < distinct; ++w) start_[w + 1] += start_[w];
  around_.resize(start_[distinct]);
  std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
  for (size_t f = 0; f < faces; ++f) {
    for (uint32_t c = mesh.FaceStart(f); c < mesh.faceEnds[f]; ++c) {
      const uint32_t w = weld_[mesh.corners[c].p];
      if (sharp_[w]) around_[fill[w]++] = static_cast<uint32_t>(f);
    }
  }
}

CornerNormals::Vec CornerNormals::FaceDirection(size_t face) const {
  if (!unit_.empty()) return unit_[face];
  const ObjCorner* corners = &mesh_.corners[mesh_.FaceStart(face)];
  const uint32_t count = mesh_.faceEnds[face] - mesh_.FaceStart(face);
  const float* a = &mesh_.positions[3 * static_cast<size_t>(corners[0].p)];
  Vec n{0.0f, 0.0f, 0.0f};
  for (uint32_t i = 1; i + 1 < count; ++i) {
    const float* b = &mesh_.positions[3 * static_cast<size_t>(corners[i].p)];
    const float* c = &mesh_.positions[3 * static_cast<size_t>(corners[i + 1].p)];
    const Vec u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Vec v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    n = {n.x + u.y * v.z - u.z * v.y, n.y + u.z * v.x - u.x * v.z, n.z + u.x * v.y - u.y * v.x};
  }
  return n;
}

void CornerNormals::Normal(size_t c, size_t face, float normal[3]) const {
  const ObjCorner& corner = mesh_.corners[c];
  Vec result{0.0f, 0.0f, 0.0f};
  if (corner.n >= 0) {
    std::memcpy(&result, &mesh_.normals[3 * static_cast<size_t>(corner.n)], sizeof result);
  }
  if (Normalise(&result)) {
    // A normal against its face's winding (a flat square exported facing away) would
    // leave the face dark from the side it is drawn to: it turns with the face.
    if (Dot(result, FaceDirection(face)) < 0.0f) result = {-result.x, -result.y, -result.z};
  } else {
    const uint32_t w = weld_[corner.p];
    const Vec& own = unit_[face];
    result = mean_[w];
    if (sharp_[w] && area_[face] > 0.0f) {
      // Only the faces within the crease angle of this corner's own.
      result = {0.0f, 0.0f, 0.0f};
      for (uint32_t i = start_[w]; i < start_[w + 1]; ++i) {
        const uint32_t g = around_[i];
        if (Dot(own, unit_[g]) < cosCrease_) continue;
        const float a = area_[g];
        result = {result.x + a * unit_[g].x, result.y + a * unit_[g].y, result.z + a * unit_[g].z};
      }
      if (!Normalise(&result)) result = own;
    } else if (result.x == 0.0f && result.y == 0.0f && result.z == 0.0f) {
      result = {0.0f, 0.0f, 1.0f};
    }
  }
  std::memcpy(normal, &result, sizeof result);
}
