// OBJ text written the way Blender's and Maya's exporters write it, for the reader's and the
// viewer's tests: a header comment, an mtllib line (for a file the tests may leave out),
// o or g, usemtl, s, vn lines, faces as v/vt/vn or v//vn, quads and polygons.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace exporter_obj {

// A cube of side 2 about the origin as Blender 3 writes it: "o Cube", 8 v, 4 vt, 6 vn,
// "usemtl Material", "s off", six quads "f v/vt/vn". Without `normals` no vn lines and
// faces "f v/vt", so the viewer makes the normals.
inline std::string BlenderCube(const std::string& mtllib, bool normals = true) {
  std::string obj = "# Blender 3.4.1\n# www.blender.org\nmtllib " + mtllib + "\no Cube\n";
  obj +=
      "v 1.000000 1.000000 -1.000000\nv 1.000000 -1.000000 -1.000000\n"
      "v 1.000000 1.000000 1.000000\nv 1.000000 -1.000000 1.000000\n"
      "v -1.000000 1.000000 -1.000000\nv -1.000000 -1.000000 -1.000000\n"
      "v -1.000000 1.000000 1.000000\nv -1.000000 -1.000000 1.000000\n";
  if (normals) {
    obj +=
        "vn -0.0000 1.0000 -0.0000\nvn -0.0000 -0.0000 1.0000\nvn -1.0000 -0.0000 -0.0000\n"
        "vn -0.0000 -1.0000 -0.0000\nvn 1.0000 -0.0000 -0.0000\nvn -0.0000 -0.0000 -1.0000\n";
  }
  obj += "vt 0.625000 0.500000\nvt 0.875000 0.500000\nvt 0.875000 0.750000\nvt 0.625000 0.750000\n";
  obj += "s 0\nusemtl Material\n";
  const int quads[6][4] = {{1, 5, 7, 3}, {4, 3, 7, 8}, {8, 7, 5, 6},
                           {6, 2, 4, 8}, {2, 1, 3, 4}, {6, 5, 1, 2}};
  char line[96];
  for (int f = 0; f < 6; ++f) {
    obj += "f";
    for (int k = 0; k < 4; ++k) {
      std::snprintf(line, sizeof line, normals ? " %d/%d/%d" : " %d/%d", quads[f][k], k + 1, f + 1);
      obj += line;
    }
    obj += "\n";
  }
  return obj;
}

// A UV sphere of radius 1 as Maya writes it: "g pSphere1", v, vt, "s 1", "usemtl
// lambert2SG", bands of quads "f v/vt/vn" (or "f v/vt" without `normals`), and each cap
// one polygon of `slices` corners, which the reader fans. The vn lines are the sphere's
// own normals.
inline std::string MayaSphere(int stacks, int slices, bool normals = true) {
  std::string obj =
      "# This file uses centimeters as units for non-parametric coordinates.\n\n"
      "mtllib sphere.mtl\ng default\n";
  char line[128];
  // Rows 1 .. stacks - 1 of the grid; the poles are the polygons' rings.
  for (int i = 1; i < stacks; ++i) {
    const double phi = M_PI * i / stacks;
    for (int j = 0; j < slices; ++j) {
      const double theta = 2.0 * M_PI * j / slices;
      const double x = std::sin(phi) * std::sin(theta), y = std::cos(phi);
      const double z = std::sin(phi) * std::cos(theta);
      std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\nvt %.6f %.6f\n", x, y, z,
                    double(j) / slices, 1.0 - double(i) / stacks);
      obj += line;
      if (normals) {
        std::snprintf(line, sizeof line, "vn %.6f %.6f %.6f\n", x, y, z);
        obj += line;
      }
    }
  }
  obj += "s 1\ng pSphere1\nusemtl lambert2SG\n";
  const auto corner = [&](int ring, int j) {
    const int n = (ring - 1) * slices + (j % slices) + 1;
    std::snprintf(line, sizeof line, normals ? " %d/%d/%d" : " %d/%d", n, n, n);
    return std::string(line);
  };
  for (int i = 1; i + 1 < stacks; ++i) {
    for (int j = 0; j < slices; ++j) {
      obj += "f" + corner(i, j) + corner(i + 1, j) + corner(i + 1, j + 1) + corner(i, j + 1) + "\n";
    }
  }
  // The caps: one polygon each, wound to face out.
  obj += "f";
  for (int j = 0; j < slices; ++j) obj += corner(1, j);
  obj += "\nf";
  for (int j = slices; j > 0; --j) obj += corner(stacks - 1, j);
  obj += "\n";
  return obj;
}

}  // namespace exporter_obj
