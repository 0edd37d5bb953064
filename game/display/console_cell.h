// Drawing one console cell for the world and the display: a cell off the
// console is skipped on its own, never handed to curses.
#pragma once

#include <curses.h>

#include <cstdint>

#include "game/loop/state.h"

inline bool onConsole(int64_t row, int64_t col) {
  return row >= 0 && row < screenRows && col >= 0 && col < screenCols;
}

inline void plotCell(int64_t row, int64_t col, char ch) {
  if (onConsole(row, col))
    mvaddch(static_cast<int>(row), static_cast<int>(col), static_cast<unsigned char>(ch));
}
