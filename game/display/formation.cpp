#include "game/display/formation.h"

#include <cmath>
#include <cstring>

#include "game/display/console_cell.h"
#include "game/display/matrix.h"
#include "game/loop/state.h"
#include "game/world/letters.h"

uint8_t displayGrid[1024];

namespace {

// Grid coordinate of a transformed offset, or -1 when it falls outside the
// grid (NaN and huge values included, so the conversion to int is safe).
int gridIndexOf(float offset) {
  float cell = std::trunc(offset);
  if (!(cell >= -16.0f && cell <= 15.0f)) return -1;
  return static_cast<int>(cell) + 16;
}

}  // namespace

// Forward mapping, source cell to target cell: a scale above 1 leaves gaps,
// one below 1 puts several cells onto one.
void rebuildDisplayGrid(float angle, float scale) {
  Matrix4 rotation;
  makeIdentity(rotation);
  setRotation(rotation, angle, Vec4{1.0f, 0.0f, 0.0f, 1.0f});
  Matrix4 scaling;
  setScale(scaling, scale);
  const Matrix4 m = multiply(rotation, scaling);
  std::memset(displayGrid, 0, sizeof displayGrid);
  for (int r = 0; r < gridSize; ++r) {
    for (int c = 0; c < gridSize; ++c) {
      if (levelGrid[gridSize * r + c] != 1) continue;
      float x = static_cast<float>(r - 16);
      float y = static_cast<float>(c - 16);
      int row = gridIndexOf(m.m[0] * x + m.m[4] * y + m.m[12]);
      int col = gridIndexOf(m.m[1] * x + m.m[5] * y + m.m[13]);
      if (row >= 0 && col >= 0) displayGrid[gridSize * row + col] = 1;
    }
  }
}

// The empty cells are drawn as spaces: the whole box is opaque over the
// star field behind it.
void drawFormation() {
  for (int i = 0; i < gridSize; ++i) {
    for (int j = 0; j < gridSize; ++j) {
      char ch = displayGrid[gridSize * i + j] == 1 ? enemyGlyph : ' ';
      plotCell(int64_t{viewRow} + formationRow + i, int64_t{viewCol} + formationCol + j, ch);
    }
  }
}
