// Base of every visual effect: a heap object that advances itself by a time
// step and draws itself in the same call.
#pragma once

#include <cstdint>

struct Vec2 {
  float x;  // column
  float y;  // row
};

struct Vec2i {
  int32_t x;  // column
  int32_t y;  // row
};

class gfxTask {
public:
  explicit gfxTask(int32_t layerKey) : layer(layerKey) {}
  virtual ~gfxTask() = default;
  virtual void update(float dt) { (void)dt; }

  int32_t layer;
  float elapsed = 0.0f;
  float remaining = 6.0f;
  bool finished = false;
};
