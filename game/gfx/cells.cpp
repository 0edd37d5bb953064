#include "game/gfx/cells.h"

#include <curses.h>

#include "game/loop/state.h"

namespace {

// Far beyond any console, yet sums of a few such values stay inside int64.
constexpr float cellLimit = 1.0e12f;

}  // namespace

int64_t truncCell(float value) {
  if (value >= cellLimit) return static_cast<int64_t>(cellLimit);
  if (value <= -cellLimit) return -static_cast<int64_t>(cellLimit);
  if (value != value) return -static_cast<int64_t>(cellLimit);
  return static_cast<int64_t>(value);
}

void drawCell(int64_t row, int64_t col, char glyph) {
  if (row < 0 || row >= screenRows || col < 0 || col >= screenCols) return;
  // Texts are 8-bit bytes: a high byte must not sign-extend into attributes.
  mvaddch(static_cast<int>(row), static_cast<int>(col),
          static_cast<chtype>(static_cast<unsigned char>(glyph)));
}
