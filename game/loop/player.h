// The player's side of a frame: keys, firing and mouse look.
#pragma once

#include "platform/input/input.h"

// W bursts, space fires, Q (or a quit key) ends the game: returns false.
bool handleKeys(const InputState& input);

// The burst the game opens with, which W sets off again.
void openingBurst();

// Turns the view by the pointer motion, unless a shake is running, and by
// the arrow keys, also during a shake: they turn the aim the shake shakes
// around, which it puts back when it ends.
void mouseLook(const InputState& input);

// Runs the fire cooldown down until it is negative.
void runFireCooldown();
