// Screen shake: moves the view offset at random for a while and puts it back.
#pragma once

#include <cstdint>

#include "game/gfx/task.h"

extern bool shakeActive;
extern int32_t shakeSavedRow;
extern int32_t shakeSavedCol;

// No shake running, saved offset 0.
void resetShake();

class gfxShake : public gfxTask {
public:
  gfxShake();  // saves the current view offset and sets shakeActive
  void update(float dt) override;
};
