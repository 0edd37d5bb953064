#include "support/scripted_player.h"

#include "game/gfx/shake.h"
#include "game/loop/powerup.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/shots.h"

namespace {

bool live(int32_t r, int32_t c) {
  return r >= 0 && r < gridSize && c >= 0 && c < gridSize && levelGrid[r * gridSize + c] == 1;
}

// In aimed mode a cell that a shot in flight will take anyway is no target.
bool covered(int32_t r, int32_t c) {
  if (!combatParams.aimedMode || powerUpActive) return false;
  for (const ShotRecord& shot : playerShots) {
    float dr = static_cast<float>(shot.row - formationRow - r);
    float dc = static_cast<float>(shot.col - formationCol - c);
    if (dr * dr + dc * dc < combatParams.killRadius * combatParams.killRadius) return true;
  }
  return false;
}

// The live cell whose disc holds the most live, uncovered cells, found again
// only when a kill, a shot or a new letter changes the picture.
bool bestTarget(int32_t& row, int32_t& col) {
  static long key = -1;
  static int32_t bestR = 0, bestC = 0, best = 0;
  long now = countLiveEnemies() * 4096L + static_cast<long>(playerShots.size()) * 8 + powerUpActive +
             formationRow * 7919L + formationCol * 104729L;
  if (now != key) {
    key = now;
    best = 0;
    float radius = powerUpActive ? 8.0f : combatParams.killRadius;
    int reach = static_cast<int>(radius);
    for (int32_t r = 0; r < gridSize; ++r)
      for (int32_t c = 0; c < gridSize; ++c) {
        if (!live(r, c) || covered(r, c)) continue;
        int score = 0;
        for (int32_t i = r - reach; i <= r + reach; ++i)
          for (int32_t j = c - reach; j <= c + reach; ++j)
            score += (i - r) * (i - r) + (j - c) * (j - c) < radius * radius && live(i, j) && !covered(i, j);
        if (score > best) best = score, bestR = r, bestC = c;
      }
  }
  row = formationRow + bestR;
  col = formationCol + bestC;
  return best > 0;
}

// The view moves against the pointer: viewCol -= dx.
InputState turnTo(int32_t row, int32_t col) {
  InputState input;
  input.dx = viewCol - (screenCols / 2 - col);
  input.dy = viewRow - (screenRows / 2 - row);
  return input;
}

}  // namespace

InputState playerInput() {
  // A player takes the power-up whenever it shows.
  if (powerUpMarkerTime > 0.0f && !powerUpActive && !shakeActive) return turnTo(powerUpRow, powerUpCol);
  InputState input;
  int32_t row = 0, col = 0;
  int32_t crossRow = screenRows / 2 - viewRow, crossCol = screenCols / 2 - viewCol;
  if (!bestTarget(row, col)) {
    input.space = countLiveEnemies() == 0;  // after the last letter: fire anywhere
  } else if (crossRow == row && crossCol == col) {
    input.space = true;
  } else if (shakeActive) {
    // A shake throws the view about and drops the motion: take what comes.
    input.space = live(crossRow - formationRow, crossCol - formationCol);
  } else {
    input = turnTo(row, col);
  }
  return input;
}
