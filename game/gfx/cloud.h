// A short-lived cloud of one character, placed anew near a centre every
// frame so that it flickers.
#pragma once

#include <cstdint>

#include "game/gfx/task.h"

class gfxRandCloud : public gfxTask {
public:
  gfxRandCloud(Vec2 centrePoint, float maxDistance, char glyphChar, int32_t pair, int32_t perFrame);
  void update(float dt) override;

  Vec2 centre;  // world cell
  float radius;
  char glyph;
  int32_t colourPair;
  int32_t count;  // characters drawn per frame
};
