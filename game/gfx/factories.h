// How the rest of the game starts effects: each call adds its tasks to the
// effect list.
#pragma once

#include <string>

#include "game/gfx/task.h"

// Speed of the first three bursts of one call, as a share of 40 cells a
// second.
extern const float speedFactors[3];

void makeExplosion(int count, char glyph, bool withCloud, bool multiColour, Vec2i position);
void makeFireworks(int count, char glyph, bool withCloud, bool multiColour, Vec2i position);
void makeShake(float seconds);
void makeText(std::string text, int colourPair, float seconds, Vec2i position);
