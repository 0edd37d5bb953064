// Game-wide values shared by every part of the game. The frame loop owns
// them; the other modules read them directly.
#pragma once

#include <cstdint>

// Console size, read once at start-up; a later resize is not noticed.
extern int32_t screenRows;
extern int32_t screenCols;

// View offset added to every world cell when it is drawn. Mouse look keeps
// it within -120..120; the screen shake moves it too.
extern int32_t viewRow;
extern int32_t viewCol;

// Only drawn (the health bar); nothing happens when it reaches zero.
extern float playerHealth;

// Puts every value above back to its start value (screen size to 0).
void resetGameState();
