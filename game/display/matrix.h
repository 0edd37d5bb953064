// A small 4 x 4 matrix kit, single precision, column-major (element of row r,
// column c at index 4c + r); points are column vectors.
#pragma once

struct Vec4 {
  float x, y, z, w;
};

struct Matrix4 {
  float m[16];
};

void makeIdentity(Matrix4& matrix);
void setRotation(Matrix4& matrix, float angle, Vec4 axis);
void setScale(Matrix4& matrix, float s);
Matrix4 multiply(const Matrix4& a, const Matrix4& b);
Vec4 transformPoint(const Matrix4& m, Vec4 p);
