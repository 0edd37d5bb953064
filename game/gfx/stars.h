// The star field streaming out of the screen centre. The frame loop owns the
// one instance; it never enters the effect list.
#pragma once

#include <vector>

#include "game/display/colour_pairs.h"
#include "game/gfx/task.h"

class gfxStars : public gfxTask {
public:
  gfxStars(Vec2 centrePoint, float speedRadius);
  void update(float dt) override;

  Vec2 centre;
  std::vector<Vec2> offsets;
  std::vector<float> angles;
  std::vector<float> distances;
  char glyph = '.';
  int32_t colourPair = pairStars;
  float radius;
};
