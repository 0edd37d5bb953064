#include "game/loop/state.h"

int32_t screenRows = 0;
int32_t screenCols = 0;
int32_t viewRow;
int32_t viewCol;
float playerHealth;

void resetGameState() {
  viewRow = viewCol = 0;
  playerHealth = 1.0f;
}

namespace {

// The start values are the reset's, before main runs as for every module.
[[maybe_unused]] const bool stateStarted = (resetGameState(), true);

}  // namespace
