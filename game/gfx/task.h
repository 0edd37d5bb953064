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

// Drawing order of the effects, lowest first; equal layers keep the order
// they were made in.
constexpr int32_t layerShake = 0;
constexpr int32_t layerStars = 1;
constexpr int32_t layerCloud = 6;
constexpr int32_t layerBurst = 7;
constexpr int32_t layerText = 666;  // over everything

class gfxTask {
public:
  explicit gfxTask(int32_t layerKey) : layer(layerKey) {}
  virtual ~gfxTask() = default;
  virtual void update(float dt) { (void)dt; }

  // The clock every task keeps: finished once remaining has gone below 0.
  void advance(float step) {
    elapsed += step;
    remaining -= step;
    if (remaining < 0.0f) finished = true;
  }

  int32_t layer;
  float elapsed = 0.0f;
  float remaining = 6.0f;
  bool finished = false;
};
