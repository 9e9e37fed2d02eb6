// Building the vertex and index arrays. Corners are shared per position: each position
// keeps a short chain of the vertices made for it, so no table over all corners is needed.
#include "tools/viewer/viewer_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "tools/viewer/vertex_normals.h"

namespace {

// The radius of a sphere around the mesh's centre (the middle of its bounding box, from
// `low` and `high`) holding every vertex: tighter than the box's corner for round models,
// so they fill the view.
void FrameVertices(const float low[3], const float high[3], ViewerMesh* mesh) {
  for (int i = 0; i < 3; ++i) {
    mesh->center[i] = low[i] <= high[i] ? 0.5f * (low[i] + high[i]) : 0.0f;
  }
  double radius2 = 0.0;
  for (const MeshVertex& v : mesh->vertices) {
    const double d[3] = {double(v.position[0]) - mesh->center[0],
                         double(v.position[1]) - mesh->center[1],
                         double(v.position[2]) - mesh->center[2]};
    radius2 = std::max(radius2, d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  }
  const double distance = std::sqrt(radius2);
  // A model of one point still needs a view of some size.
  mesh->radius = distance > 0 && std::isfinite(distance) ? static_cast<float>(distance) : 1.0f;
}

}  // namespace

void BuildViewerMesh(const ObjMesh& source, float creaseDegrees, ViewerMesh* mesh) {
  *mesh = ViewerMesh();
  mesh->colored =
      !source.colors.empty() && source.colors.size() == 4 * (source.positions.size() / 3);
  const CornerNormals normals(source, creaseDegrees);

  // Where each material's triangles go: a counting sort, each group in file order.
  const size_t materialCount = std::max<size_t>(source.materialList.size(), 1);
  std::vector<uint32_t> next(materialCount + 1, 0);
  for (size_t f = 0; f < source.Faces(); ++f) {
    next[static_cast<size_t>(source.materials[f]) + 1] +=
        source.faceEnds[f] - source.FaceStart(f) - 2;
  }
  for (size_t m = 0; m < materialCount; ++m) {
    if (next[m + 1] > 0) {
      mesh->ranges.push_back({static_cast<int32_t>(m), 3 * next[m], 3 * next[m + 1]});
    }
    next[m + 1] += next[m];
  }

  // Vertices: one per distinct (position, texture coordinate, normal) of the corners.
  std::vector<int32_t> chainHead(source.positions.size() / 3, -1);
  std::vector<int32_t> chainNext;  // per vertex: the position's vertex made before it
  std::vector<int32_t> vertexUv;   // per vertex: the corner's texture coordinate number
  const size_t expected = source.positions.size() / 3 + source.positions.size() / 12;
  mesh->vertices.reserve(expected);
  chainNext.reserve(expected);
  vertexUv.reserve(expected);
  mesh->indices.resize(3 * source.Triangles());
  float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF};
  float high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
  std::vector<uint32_t> polygon;  // the vertices of the face's corners
  for (size_t f = 0; f < source.Faces(); ++f) {
    polygon.clear();
    for (uint32_t c = source.FaceStart(f); c < source.faceEnds[f]; ++c) {
      const ObjCorner& corner = source.corners[c];
      float normal[3];
      normals.Normal(c, f, normal);
      int32_t v = chainHead[corner.p];
      while (v >= 0 && (vertexUv[v] != corner.t ||
                        std::memcmp(mesh->vertices[v].normal, normal, sizeof normal) != 0)) {
        v = chainNext[v];
      }
      if (v < 0) {
        MeshVertex vertex;
        std::memcpy(vertex.position, &source.positions[3 * static_cast<size_t>(corner.p)],
                    sizeof vertex.position);
        std::memcpy(vertex.normal, normal, sizeof normal);
        vertex.uv[0] = corner.t >= 0 ? source.uvs[2 * static_cast<size_t>(corner.t)] : 0.0f;
        vertex.uv[1] = corner.t >= 0 ? source.uvs[2 * static_cast<size_t>(corner.t) + 1] : 0.0f;
        if (mesh->colored) {
          std::memcpy(vertex.color, &source.colors[4 * static_cast<size_t>(corner.p)], 4);
        } else {
          std::memset(vertex.color, 255, sizeof vertex.color);
        }
        for (int i = 0; i < 3; ++i) {
          low[i] = std::min(low[i], vertex.position[i]);
          high[i] = std::max(high[i], vertex.position[i]);
        }
        v = static_cast<int32_t>(mesh->vertices.size());
        mesh->vertices.push_back(vertex);
        vertexUv.push_back(corner.t);
        chainNext.push_back(chainHead[corner.p]);
        chainHead[corner.p] = v;
      }
      polygon.push_back(static_cast<uint32_t>(v));
    }
    // The face as a fan from its first corner.
    uint32_t& slot = next[static_cast<size_t>(source.materials[f])];
    for (size_t i = 1; i + 1 < polygon.size(); ++i, ++slot) {
      uint32_t* out = &mesh->indices[3 * static_cast<size_t>(slot)];
      out[0] = polygon[0];
      out[1] = polygon[i];
      out[2] = polygon[i + 1];
    }
  }
  FrameVertices(low, high, mesh);
}

void FrameViewerMesh(ViewerMesh* mesh) {
  float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF};
  float high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
  for (const MeshVertex& v : mesh->vertices) {
    for (int i = 0; i < 3; ++i) {
      low[i] = std::min(low[i], v.position[i]);
      high[i] = std::max(high[i], v.position[i]);
    }
  }
  FrameVertices(low, high, mesh);
}

void SceneToObjMesh(const ModelScene& scene, int materials, ObjMesh* mesh) {
  *mesh = ObjMesh();
  for (int m = 0; m < std::max(materials, 1); ++m) {
    ObjMaterial material;
    material.name = "material " + std::to_string(m);
    mesh->materialList.push_back(material);
  }
  for (uint32_t k = 0; scene.objects && k <= scene.lastObject; ++k) {
    const ModelObject& o = scene.objects[k];
    const uint32_t before = static_cast<uint32_t>(mesh->Faces());
    if (before > (mesh->groupStarts.empty() ? 0 : mesh->groupStarts.back())) {
      mesh->groupStarts.push_back(before);
    }
    for (uint32_t s = 1; o.faces && s <= o.faceCount; ++s) {
      const ModelFace& face = o.faces[s];
      for (const ModelCorner& c : face.corners) {
        const int32_t number = static_cast<int32_t>(mesh->uvs.size() / 2);
        mesh->positions.insert(mesh->positions.end(),
                               {c.x + o.position[0], c.y + o.position[1], c.z + o.position[2]});
        mesh->uvs.insert(mesh->uvs.end(), {c.u, c.v});
        mesh->corners.push_back({number, number, -1});
      }
      mesh->faceEnds.push_back(static_cast<uint32_t>(mesh->corners.size()));
      const bool known = face.material >= 0 && face.material < std::max(materials, 1);
      mesh->materials.push_back(known ? face.material : 0);
    }
  }
}
