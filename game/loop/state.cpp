#include "game/loop/state.h"

int32_t screenRows = 0;
int32_t screenCols = 0;
int32_t viewRow = 0;
int32_t viewCol = 0;
float playerHealth = 1.0f;

void resetGameState() {
  screenRows = screenCols = 0;
  viewRow = viewCol = 0;
  playerHealth = 1.0f;
}
