// Matrix arithmetic for the layer's matrix stacks and lighting.
#include "platform/gl11/matrix.h"

#include <cmath>

namespace gl11 {

Mat4 Identity() {
  return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 out;
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
      out.m[column * 4 + row] = sum;
    }
  }
  return out;
}

// Column by column, as the matrix is stored: the translation is the last column.
Mat4 Translation(float x, float y, float z) {
  return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}};
}

Mat4 Scaling(float x, float y, float z) {
  return {{x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}};
}

Mat4 Rotation(float angle, float x, float y, float z) {
  Mat4 out = Identity();
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length <= 1.0e-4f) return out;
  x /= length;
  y /= length;
  z /= length;
  const double radians = angle * (M_PI / 180.0);
  const float s = static_cast<float>(std::sin(radians));
  const float c = static_cast<float>(std::cos(radians));
  const float oneMinusC = 1.0f - c;
  // Row r, column k is m[k * 4 + r].
  out.m[0] = oneMinusC * x * x + c;
  out.m[4] = oneMinusC * x * y - z * s;
  out.m[8] = oneMinusC * z * x + y * s;
  out.m[1] = oneMinusC * x * y + z * s;
  out.m[5] = oneMinusC * y * y + c;
  out.m[9] = oneMinusC * y * z - x * s;
  out.m[2] = oneMinusC * z * x - y * s;
  out.m[6] = oneMinusC * y * z + x * s;
  out.m[10] = oneMinusC * z * z + c;
  return out;
}

bool Ortho(double l, double r, double b, double t, double n, double f, Mat4* out) {
  if (l == r || b == t || n == f) return false;
  *out = Identity();
  out->m[0] = static_cast<float>(2.0 / (r - l));
  out->m[5] = static_cast<float>(2.0 / (t - b));
  out->m[10] = static_cast<float>(-2.0 / (f - n));
  out->m[12] = static_cast<float>(-(r + l) / (r - l));
  out->m[13] = static_cast<float>(-(t + b) / (t - b));
  out->m[14] = static_cast<float>(-(f + n) / (f - n));
  return true;
}

bool Frustum(double l, double r, double b, double t, double n, double f, Mat4* out) {
  if (n <= 0.0 || f <= 0.0 || l == r || b == t || n == f) return false;
  *out = Mat4{};
  out->m[0] = static_cast<float>(2.0 * n / (r - l));
  out->m[5] = static_cast<float>(2.0 * n / (t - b));
  out->m[8] = static_cast<float>((r + l) / (r - l));
  out->m[9] = static_cast<float>((t + b) / (t - b));
  out->m[10] = static_cast<float>(-(f + n) / (f - n));
  out->m[11] = -1.0f;
  out->m[14] = static_cast<float>(-2.0 * f * n / (f - n));
  return true;
}

void NormalMatrix(const Mat4& mv, float out[9]) {
  // a[r][c] of the upper 3 x 3.
  double a[3][3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) a[r][c] = mv.m[c * 4 + r];
  }
  const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                     a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                     a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  if (det == 0.0) {
    for (int c = 0; c < 3; ++c) {
      for (int r = 0; r < 3; ++r) out[c * 3 + r] = static_cast<float>(a[r][c]);
    }
    return;
  }
  // The transposed inverse is the cofactor matrix over the determinant.
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      const double cofactor = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
      out[c * 3 + r] = static_cast<float>(cofactor / det);
    }
  }
}

void Transform(const Mat4& m, const float in[4], float out[4]) {
  for (int row = 0; row < 4; ++row) {
    out[row] =
        m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row] * in[3];
  }
}

}  // namespace gl11
