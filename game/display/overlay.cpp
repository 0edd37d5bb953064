#include "game/display/overlay.h"

#include <cmath>
#include <cstdint>

#include "game/display/colour_pairs.h"
#include "game/display/console_cell.h"
#include "game/loop/powerup.h"
#include "game/loop/state.h"
#include "game/world/letters.h"

namespace {

void drawBorder() {
  const int32_t h = screenRows;
  const int32_t w = screenCols;
  for (int32_t col = 1; col <= w - 2; ++col) {
    plotCell(0, col, '-');
    plotCell(h - 1, col, '-');
  }
  for (int32_t row = 1; row <= h - 2; ++row) {
    plotCell(row, 0, '|');
    plotCell(row, w - 1, '|');
  }
}

void drawCornerMarks() {
  const int32_t h = screenRows;
  const int32_t w = screenCols;
  for (int32_t k = 0; k < 3; ++k) plotCell(k, k, '\\');
  for (int32_t k = 0; k < 3; ++k) plotCell(h - 1 - k, w - 1 - k, '\\');
  for (int32_t k = 0; k < 3; ++k) plotCell(k, w - 1 - k, '/');
  for (int32_t k = 0; k < 3; ++k) plotCell(h - 1 - k, k, '/');
}

// Bar length in rows for a fraction of the inner height. A fraction that is
// not negative always keeps one cell (row 2) visible; a negative one means
// "nothing left" and shows no bar at all, also for tiny negative values
// that truncation alone would have turned into that one cell.
int32_t barLength(float fraction) {
  if (!(fraction >= 0.0f)) return 0;
  float rows = static_cast<float>(screenRows - 2) * fraction;
  if (!(rows >= 0.0f)) return 0;  // a console of fewer than two rows
  // Bars longer than the console are cut at its edge anyway; the clamp keeps
  // the conversion to int defined.
  if (rows > static_cast<float>(screenRows)) rows = static_cast<float>(screenRows);
  const int32_t h = static_cast<int32_t>(rows);
  return h <= 3 ? 3 : h;
}

void drawBar(int32_t col, float fraction) {
  const int32_t h = barLength(fraction);
  for (int32_t row = 2; row <= h - 1; ++row) plotCell(row, col, ' ');
}

// A dot five cells from the crosshair, pointing from a fixed reference
// cell toward a target; the zero vector has no direction and gets no dot.
void drawDirectionDot(int32_t eRow, int32_t eCol) {
  if (eRow == 0 && eCol == 0) return;
  const float dr = static_cast<float>(eRow);
  const float dc = static_cast<float>(eCol);
  const float length = std::sqrt(dr * dr + dc * dc);
  const float row = static_cast<float>(screenRows / 2) + 5.0f * dr / length;
  const float col = static_cast<float>(screenCols / 2) + 5.0f * dc / length;
  plotCell(static_cast<int32_t>(row), static_cast<int32_t>(col), '.');
}

}  // namespace

void drawOverlay() {
  drawBorder();
  drawCornerMarks();
  plotCell(screenRows / 2, screenCols / 2, '+');
  selectPair(pairEnemiesBar);
  drawBar(screenCols - 3, remainingFraction());
  selectPair(pairHealthBar);
  drawBar(2, playerHealth);
  selectPair(pairFormationDot);
  drawDirectionDot(formationRow + viewRow, formationCol + viewCol - 32);
  if (powerUpMarkerTime > 0.0f) {
    selectPair(pairPowerUpDot);
    drawDirectionDot(powerUpRow + viewRow - 12, powerUpCol + viewCol - 38);
  }
}
