// The running effects, their per-frame handling and the factories that the
// rest of the game uses to start them.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "game/gfx/task.h"

extern std::list<std::unique_ptr<gfxTask>> effectList;
extern const float speedFactors[3];

void removeFinishedEffects();
void sortEffects();
void updateEffects(float dt);

// Back to the start of a game: no effects, no shake, saved offset 0.
void resetEffects();

void makeExplosion(int count, char glyph, bool withCloud, bool multiColour, Vec2i position);
void makeFireworks(int count, char glyph, bool withCloud, bool multiColour, Vec2i position);
void makeShake(float seconds);
void makeText(std::string text, int colourPair, float seconds, Vec2i position);
