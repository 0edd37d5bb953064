// A line of text fixed to a screen position for a while.
#pragma once

#include <cstdint>
#include <string>

#include "game/gfx/task.h"

class gfxText : public gfxTask {
public:
  gfxText(std::string message, int32_t pair, Vec2i position);
  void update(float dt) override;

  std::string text;
  int32_t x;  // column of the first character
  int32_t y;  // row
  int32_t colourPair;
};
