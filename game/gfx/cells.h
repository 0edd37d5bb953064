// Turning float positions into console cells and drawing one cell.
#pragma once

#include <cstdint>

#include "game/display/console_cell.h"

// Truncates toward zero like a plain conversion, but saturates far outside
// any console (and maps NaN to a far-off cell) so that a huge time step
// cannot make the conversion undefined. Inline: bursts call it for every
// particle of every frame.
inline int64_t truncCell(float value) {
  constexpr float limit = 1.0e12f;  // sums of a few such values stay in int64
  if (value >= limit) return static_cast<int64_t>(limit);
  if (value <= -limit || value != value) return -static_cast<int64_t>(limit);
  return static_cast<int64_t>(value);
}

void putEffectCell(int row, int col, char glyph);

// Draws glyph at (row, col) in the selected pair when the cell lies on the
// console; does nothing otherwise.
inline void drawCell(int64_t row, int64_t col, char glyph) {
  if (!onConsole(row, col)) return;
  putEffectCell(static_cast<int>(row), static_cast<int>(col), glyph);
}

// While the effects draw, thousands of particles and texts can land on the
// same few cells in one frame. Between these two calls drawCell only notes
// the last character and pair of each cell; the flush then hands every
// touched cell to curses once, in the order the cells were first touched.
// The picture is the same as drawing each character as it comes.
void beginEffectCells();
void flushEffectCells();
