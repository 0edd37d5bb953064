#include <gtest/gtest.h>

#include "game/display/matrix.h"

TEST(Matrix, ColumnMajorKit) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = static_cast<float>(i + 1);
  // Rotation writes the upper-left block only, with a normalised axis: a
  // quarter turn about z takes x to y, as glRotate does.
  setRotation(m, 1.5707964f, Vec4{0.0f, 0.0f, 2.0f, 9.0f});
  for (int i : {3, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(m.m[i], static_cast<float>(i + 1)) << i;
  Vec4 p = transformPoint(m, Vec4{1.0f, 0.0f, 0.0f, 0.0f});
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);

  // Element (row 0, column 3) at index 12 translates along x; column 1 of
  // a matrix times column 3 of another lands at (0, 3) of the product.
  Matrix4 a, b;
  makeIdentity(a);
  a.m[4 * 1 + 0] = 2.0f;
  setScale(b, 3.0f);
  b.m[4 * 3 + 1] = 5.0f;
  Matrix4 ab = multiply(a, b);
  EXPECT_EQ(ab.m[4 * 3 + 0], 10.0f);
  EXPECT_EQ(ab.m[4 * 1 + 0], 6.0f);
  EXPECT_EQ(ab.m[15], 1.0f);
  p = transformPoint(ab, Vec4{1.0f, 1.0f, 1.0f, 1.0f});
  EXPECT_EQ(p.x, 3.0f + 6.0f + 10.0f);
  EXPECT_EQ(p.y, 3.0f + 5.0f);

  // A zero axis has no direction: the matrix is left alone, not made NaN.
  Matrix4 before = ab;
  setRotation(ab, 0.5f, Vec4{0.0f, 0.0f, 0.0f, 1.0f});
  for (int i = 0; i < 16; ++i) EXPECT_EQ(ab.m[i], before.m[i]);
}
