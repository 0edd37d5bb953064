// The grid that is drawn, rebuilt from the level grid through a rotation and
// a scale, and its drawing.
#pragma once

#include <cstdint>

extern uint8_t displayGrid[1024];

void rebuildDisplayGrid(float angle, float scale);
// Draws in whatever colour pair is current.
void drawFormation();
