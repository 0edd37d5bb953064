#include "game/gfx/cells.h"

#include <curses.h>

#include <vector>

#include "game/loop/state.h"

namespace {

bool collecting = false;
int32_t collectCols = 0;
std::vector<chtype> noted;     // character and attributes, by cell
std::vector<uint32_t> stamp;   // frame in which the cell was last noted
std::vector<int32_t> touched;  // cells noted this frame, first touch first
uint32_t generation = 0;

}  // namespace

void putEffectCell(int row, int col, char glyph) {
  // Texts are 8-bit bytes: a high byte must not sign-extend into attributes.
  chtype ch = static_cast<unsigned char>(glyph);
  if (!collecting) {
    mvaddch(row, col, ch);
    return;
  }
  int32_t i = row * collectCols + col;
  if (stamp[i] != generation) {
    stamp[i] = generation;
    touched.push_back(i);
  }
  noted[i] = ch | getattrs(stdscr);
}

void beginEffectCells() {
  size_t cells = static_cast<size_t>(screenRows > 0 ? screenRows : 0) *
                 static_cast<size_t>(screenCols > 0 ? screenCols : 0);
  if (noted.size() != cells) {
    noted.assign(cells, 0);
    stamp.assign(cells, 0);
  }
  collectCols = screenCols;
  touched.clear();
  // Generation 0 is what a fresh stamp holds, so it never marks a cell.
  if (++generation == 0) {
    stamp.assign(cells, 0);
    generation = 1;
  }
  collecting = true;
}

// The noted attributes go with each character, so the window's own are
// cleared for the flush and put back after it: the next step draws in the
// pair the last effect selected, as it would have anyway.
void flushEffectCells() {
  collecting = false;
  attr_t last = getattrs(stdscr);
  attrset(A_NORMAL);
  for (int32_t i : touched) mvaddch(i / collectCols, i % collectCols, noted[i]);
  attrset(last);
  touched.clear();
}
