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
  float reach = combatParams.killRadius * combatParams.killRadius;
  for (const ShotRecord& shot : playerShots) {
    float dr = static_cast<float>(shot.row - formationRow - r);
    float dc = static_cast<float>(shot.col - formationCol - c);
    if (dr * dr + dc * dc < reach) return true;
  }
  return false;
}

// Live, uncovered cells a shot landing on (r, c) would take.
int score(int32_t r, int32_t c, float radius) {
  int n = 0;
  int reach = static_cast<int>(radius);
  for (int32_t i = r - reach; i <= r + reach; ++i)
    for (int32_t j = c - reach; j <= c + reach; ++j) {
      float d2 = static_cast<float>((i - r) * (i - r) + (j - c) * (j - c));
      if (d2 < radius * radius && live(i, j) && !covered(i, j)) ++n;
    }
  return n;
}

// The live cell whose disc holds the most live cells; the choice is kept
// until a kill or a shot changes the picture.
bool bestTarget(int32_t& row, int32_t& col) {
  static long key = -1;
  static int32_t bestR = 0, bestC = 0;
  static bool found = false;
  long now = countLiveEnemies() * 4096L + static_cast<long>(playerShots.size()) * 8 +
             (powerUpActive ? 1 : 0) + formationRow * 7919L + formationCol * 104729L;
  if (now != key) {
    key = now;
    found = false;
    int best = 0;
    float radius = powerUpActive ? 8.0f : combatParams.killRadius;
    for (int32_t r = 0; r < gridSize; ++r)
      for (int32_t c = 0; c < gridSize; ++c)
        if (live(r, c) && !covered(r, c)) {
          int s = score(r, c, radius);
          if (s > best) best = s, bestR = r, bestC = c, found = true;
        }
  }
  row = formationRow + bestR;
  col = formationCol + bestC;
  return found;
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
  InputState input;
  int32_t row = 0;
  int32_t col = 0;
  // A player takes the power-up whenever it shows.
  if (powerUpMarkerTime > 0.0f && !powerUpActive && !shakeActive)
    return turnTo(powerUpRow, powerUpCol);
  if (!bestTarget(row, col)) {
    // Nothing left to aim at (after the last letter): fire at whatever is
    // under the crosshair.
    input.space = countLiveEnemies() == 0;
    return input;
  }
  int32_t crossRow = screenRows / 2 - viewRow;
  int32_t crossCol = screenCols / 2 - viewCol;
  if (crossRow == row && crossCol == col) {
    input.space = true;
    return input;
  }
  // A shake throws the view about and drops the motion: take what comes
  // under the crosshair meanwhile.
  if (shakeActive) {
    input.space = live(crossRow - formationRow, crossCol - formationCol);
    return input;
  }
  return turnTo(row, col);
}
