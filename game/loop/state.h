// Game-wide values shared by every part of the game. The frame loop owns
// them and the other modules read them directly; only the screen shake also
// writes the view, and puts it back when it ends.
#pragma once

#include <cstdint>

// Console size: what the console read when it opened (0 until then), then
// whatever size the terminal has at the start of each game and of each
// frame (screen_size.h).
extern int32_t screenRows;
extern int32_t screenCols;

// View offset added to every world cell when it is drawn. Mouse look keeps
// it within -kViewLimit..kViewLimit; the screen shake moves it too.
constexpr int32_t kViewLimit = 120;
extern int32_t viewRow;
extern int32_t viewCol;

// Only drawn (the health bar); nothing happens when it reaches zero.
extern float playerHealth;

// Puts the view and the health back to their start values.
void resetGameState();
