// Normals at the corners of a model's triangles, for lighting: the file's own where it has
// them, otherwise made from the faces, smooth across gentle edges and sharp across creases.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/model_readers/obj_reader.h"

// Edges between faces whose normals differ by more than this stay sharp.
constexpr float kCreaseDegrees = 60.0f;

// The normals of one mesh's corners, worked out once for all (the faces' normals, the
// welded positions and their mean normals) and then asked corner by corner, so that no
// array as long as the corners is needed.
class CornerNormals {
 public:
  // `mesh` must outlive this.
  CornerNormals(const ObjMesh& mesh, float creaseDegrees);

  // The normal at unit length of corner `c`, one of face `face`'s. A corner naming a
  // usable normal (not zero, not NaN) keeps its direction, turned round where it points
  // against its face's winding; any other gets the
  // area-weighted sum of the normals of the faces around its position (positions compared
  // by value, so a seam of repeated vertices is no edge) that lie within the crease angle
  // of its own face's. A corner with nothing to go by (a face of no area alone) gets
  // (0, 0, 1).
  void Normal(size_t c, size_t face, float normal[3]) const;

 private:
  struct Vec {
    float x, y, z;
  };
  // The face's normal, at unit length where the faces' normals were worked out, else of
  // any length (from its corners' cross products).
  Vec FaceDirection(size_t face) const;

  const ObjMesh& mesh_;
  float cosCrease_ = 0.5f;
  std::vector<Vec> unit_;                 // per face, at unit length; 0 for no area
  std::vector<float> area_;               // per face, twice its area
  std::vector<uint32_t> weld_;            // per position: its number among the distinct positions
  std::vector<Vec> mean_;                 // per distinct position: the area-weighted mean normal
  std::vector<uint8_t> sharp_;            // per distinct position: faces a crease apart meet there
  std::vector<uint32_t> start_, around_;  // the faces at each sharp position, in runs
};
