// A generated UV sphere as Wavefront OBJ text, for the converter and viewer tests: every
// band of quads is one polygon line, the upper half in material "top", the lower half in
// "bottom". The expected triangles are kept exactly as the text's numbers read back.
#pragma once

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sphere_obj {

struct Corner {
  float x, y, z, u, v;
};
using Triangle = std::array<Corner, 3>;

struct Sphere {
  std::string obj;
  std::vector<Triangle> triangles;  // in file order, after fanning
  std::vector<int> materials;       // per triangle: 0 top, 1 bottom
};

// `stacks` x `slices` quads (two triangles each) on a sphere of `radius` around
// (cx, cy, cz); texture coordinates run once around and from pole to pole.
inline Sphere MakeSphere(int stacks, int slices, float radius, const std::string& mtllib,
                         float cx = 0, float cy = 0, float cz = 0) {
  Sphere s;
  std::vector<Corner> grid;
  char line[160];
  std::string positions, uvs;
  for (int i = 0; i <= stacks; ++i) {
    const double phi = M_PI * i / stacks;  // 0 at the north pole
    for (int j = 0; j <= slices; ++j) {
      const double theta = 2.0 * M_PI * j / slices;
      std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n",
                    cx + radius * std::sin(phi) * std::sin(theta), cy + radius * std::cos(phi),
                    cz + radius * std::sin(phi) * std::cos(theta));
      positions += line;
      Corner c;
      std::sscanf(line, "v %f %f %f", &c.x, &c.y, &c.z);
      std::snprintf(line, sizeof line, "vt %.6f %.6f\n", double(j) / slices,
                    1.0 - double(i) / stacks);
      uvs += line;
      std::sscanf(line, "vt %f %f", &c.u, &c.v);
      grid.push_back(c);
    }
  }
  s.obj = "# generated sphere\nmtllib " + mtllib + "\no sphere\n" + positions + uvs;
  const auto number = [slices](int i, int j) { return i * (slices + 1) + j + 1; };
  for (int i = 0; i < stacks; ++i) {
    const int material = i < stacks / 2 ? 0 : 1;
    if (i == 0) s.obj += "usemtl top\n";
    if (i == stacks / 2) s.obj += "usemtl bottom\n";
    for (int j = 0; j < slices; ++j) {
      const int q[4] = {number(i, j), number(i + 1, j), number(i + 1, j + 1), number(i, j + 1)};
      std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d %d/%d\n", q[0], q[0], q[1], q[1], q[2],
                    q[2], q[3], q[3]);
      s.obj += line;
      for (int k = 1; k <= 2; ++k) {
        s.triangles.push_back({grid[q[0] - 1], grid[q[k] - 1], grid[q[k + 1] - 1]});
        s.materials.push_back(material);
      }
    }
  }
  return s;
}

}  // namespace sphere_obj
