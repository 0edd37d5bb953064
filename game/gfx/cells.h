// Turning float positions into console cells and drawing one cell.
#pragma once

#include <cstdint>

// Truncates toward zero like a plain conversion, but saturates far outside
// any console (and maps NaN to a far-off cell) so that a huge time step
// cannot make the conversion undefined.
int64_t truncCell(float value);

// Draws glyph at (row, col) when the cell lies on the console; does nothing
// otherwise.
void drawCell(int64_t row, int64_t col, char glyph);
