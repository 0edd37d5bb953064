#include "game/display/matrix.h"

#include <cmath>

void makeIdentity(Matrix4& matrix) {
  for (int i = 0; i < 16; ++i) matrix.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// The axis-angle rotation of glRotate, written into the upper-left 3 x 3
// block only; the caller starts from the identity.
void setRotation(Matrix4& matrix, float angle, Vec4 axis) {
  float c = std::cos(angle);
  float s = std::sin(angle);
  float length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  // A zero axis has no direction; the matrix is left as it was rather than
  // filled with NaN.
  if (!(length > 0.0f)) return;
  float ux = axis.x / length;
  float uy = axis.y / length;
  float uz = axis.z / length;
  float t = 1.0f - c;
  float* m = matrix.m;
  m[0] = ux * ux * t + c;
  m[1] = ux * uy * t + uz * s;
  m[2] = ux * uz * t - uy * s;
  m[4] = ux * uy * t - uz * s;
  m[5] = uy * uy * t + c;
  m[6] = uy * uz * t + ux * s;
  m[8] = ux * uz * t + uy * s;
  m[9] = uy * uz * t - ux * s;
  m[10] = uz * uz * t + c;
}

void setScale(Matrix4& matrix, float s) {
  makeIdentity(matrix);
  matrix.m[0] = matrix.m[5] = matrix.m[10] = s;
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 result{};
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[4 * k + r] * b.m[4 * c + k];
      result.m[4 * c + r] = sum;
    }
  }
  return result;
}

Vec4 transformPoint(const Matrix4& m, Vec4 p) {
  const float* e = m.m;
  return Vec4{e[0] * p.x + e[4] * p.y + e[8] * p.z + e[12] * p.w,
              e[1] * p.x + e[5] * p.y + e[9] * p.z + e[13] * p.w,
              e[2] * p.x + e[6] * p.y + e[10] * p.z + e[14] * p.w,
              e[3] * p.x + e[7] * p.y + e[11] * p.z + e[15] * p.w};
}
