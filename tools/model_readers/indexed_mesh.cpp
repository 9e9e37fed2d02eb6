// Grouping a reader's triangles by material.
#include "tools/model_readers/indexed_mesh.h"

#include <algorithm>

void GroupByMaterial(const std::vector<MaterialRange>& runs, size_t materials, IndexedMesh* mesh) {
  mesh->ranges.clear();
  bool inOrder = true;
  for (size_t r = 1; r < runs.size(); ++r)
    inOrder = inOrder && runs[r - 1].material <= runs[r].material;
  std::vector<uint32_t> sorted;
  std::vector<uint32_t> next(materials + 1, 0);  // where each material's vertex numbers start
  for (const MaterialRange& run : runs) next[static_cast<size_t>(run.material) + 1] += run.count;
  for (size_t m = 0; m < materials; ++m) {
    if (next[m + 1] > 0) mesh->ranges.push_back({static_cast<int32_t>(m), next[m], next[m + 1]});
    next[m + 1] += next[m];
  }
  // The runs already in material order (most files) are the ranges as they stand.
  if (inOrder) return;
  sorted.resize(mesh->indices.size());
  for (const MaterialRange& run : runs) {
    uint32_t& slot = next[static_cast<size_t>(run.material)];
    std::copy_n(mesh->indices.begin() + run.first, run.count, sorted.begin() + slot);
    slot += run.count;
  }
  mesh->indices.swap(sorted);
}
