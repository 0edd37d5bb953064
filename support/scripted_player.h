// A player for long runs: turns the view with pointer motion until a live
// cell of the letter is under the crosshair, and holds space while it is.
#pragma once

#include "platform/input/input.h"

// Input for the coming frame, from the game state as the last frame left it.
InputState playerInput();
