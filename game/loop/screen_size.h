// Following the terminal's size. A terminal window changes size under the
// program, and a full-screen program is expected to fill it: the frame
// loop hands every frame the size the console has now.
#pragma once

#include <cstdint>

// Takes a new console size (nothing happens when it is the same, or not a
// size at all): the crosshair moves to the new centre and the view moves
// with it, so the world cell under the crosshair stays under it (as far as
// the view's limit allows); a running shake keeps the same aim when it
// puts the view back; the star field streams from the new centre.
void followScreenSize(int32_t rows, int32_t cols);

// The console's size at the start of a game, before anything was aimed:
// the view stays as it is.
void takeScreenSize(int32_t rows, int32_t cols);
