// The running effects and their per-frame handling. The factories that
// start them are in factories.h.
#pragma once

#include <list>
#include <memory>

#include "game/gfx/task.h"

extern std::list<std::unique_ptr<gfxTask>> effectList;

void removeFinishedEffects();
void sortEffects();
void updateEffects(float dt);

// Back to the start of a game: no effects.
void resetEffects();
