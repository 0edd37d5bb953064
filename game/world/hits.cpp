#include "game/world/hits.h"

#include <cmath>
#include <cstdint>

#include "game/display/formation.h"
#include "game/loop/random.h"
#include "game/world/letters.h"
#include "game/world/shots.h"

namespace {

bool insideGrid(int64_t i, int64_t j) { return i >= 0 && i < gridSize && j >= 0 && j < gridSize; }

float distance(int64_t di, int64_t dj) { return std::sqrt(static_cast<float>(di * di + dj * dj)); }

int64_t cellIndex(int64_t i, int64_t j) { return gridSize * i + j; }

}  // namespace

// Aimed mode: the shot must land on an enemy as shown. The display grid is
// the one last rebuilt, so a cell killed earlier in this frame still counts.
bool aimedHit(int32_t row, int32_t col) {
  const int64_t r = int64_t{row} - formationRow;
  const int64_t c = int64_t{col} - formationCol;
  if (!insideGrid(r, c) || displayGrid[cellIndex(r, c)] != 1) return false;
  for (int64_t i = r - 6; i <= r + 5; ++i) {
    for (int64_t j = c - 6; j <= c + 5; ++j) {
      if (insideGrid(i, j) && distance(i - r, j - c) < combatParams.killRadius)
        levelGrid[cellIndex(i, j)] = 0;
    }
  }
  return true;
}

// Spread mode and the power-up. The landing cell may lie one row below or
// one column right of the grid. Only live cells of the disc draw a random
// number, in row-major order; a negative chance kills without drawing.
bool areaHit(int32_t row, int32_t col, float radius, float chance) {
  const int64_t r = int64_t{row} - formationRow;
  const int64_t c = int64_t{col} - formationCol;
  if (r < 0 || r > gridSize || c < 0 || c > gridSize) return false;
  bool killed = false;
  for (int64_t i = r - 9; i <= r + 8; ++i) {
    for (int64_t j = c - 9; j <= c + 8; ++j) {
      if (!insideGrid(i, j)) continue;
      uint8_t& cell = levelGrid[cellIndex(i, j)];
      if (!(distance(i - r, j - c) < radius) || cell != 1) continue;
      if (chance < 0.0f || random01() < chance) {
        cell = 0;
        killed = true;
      }
    }
  }
  return killed;
}
