// 4 x 4 matrices as GL keeps them: column-major floats, each operation multiplied on
// the right of the current matrix, with the formulas of GL 1.1's definitions.
#pragma once

namespace gl11 {

struct Mat4 {
  float m[16];  // m[column * 4 + row]
};

Mat4 Identity();
Mat4 Multiply(const Mat4& a, const Mat4& b);  // a * b
Mat4 Translation(float x, float y, float z);
Mat4 Scaling(float x, float y, float z);
// Degrees about (x, y, z), normalised; an axis shorter than 1e-4 gives the identity.
Mat4 Rotation(float angle, float x, float y, float z);
// Null for a degenerate box (GL_INVALID_VALUE).
bool Ortho(double l, double r, double b, double t, double n, double f, Mat4* out);
bool Frustum(double l, double r, double b, double t, double n, double f, Mat4* out);
// The matrix that carries normals to eye space: the transposed inverse of the upper
// 3 x 3, column-major; a singular matrix gives the upper 3 x 3 itself.
void NormalMatrix(const Mat4& modelview, float out[9]);
// m * (x, y, z, w).
void Transform(const Mat4& m, const float in[4], float out[4]);

}  // namespace gl11
