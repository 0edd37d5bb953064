// Particle bursts: a ring of one character spreading from a centre while
// every particle bends toward straight down, like falling sparks.
#pragma once

#include <cstdint>
#include <vector>

#include "game/gfx/task.h"

// The ring itself; explosions and fireworks differ only in their colours.
class gfxBurst : public gfxTask {
public:
  static constexpr int particleCount = 30;

  void update(float dt) override;

  Vec2 centre;
  std::vector<Vec2> offsets;
  std::vector<float> angles;
  char glyph;
  int32_t colour;  // 1..4
  float speed;     // cells per second of effect time

protected:
  gfxBurst(Vec2 centrePoint, char glyphChar, int32_t colourIndex, float cellsPerSecond,
           int32_t colourPairOffset);

private:
  int32_t pairOffset;  // colour pair = colour + pairOffset
};

class gfxTaskExplosion : public gfxBurst {
public:
  gfxTaskExplosion(Vec2 centrePoint, char glyphChar, int32_t colourIndex, float cellsPerSecond);
};

class gfxTaskFireworks : public gfxBurst {
public:
  gfxTaskFireworks(Vec2 centrePoint, char glyphChar, int32_t colourIndex, float cellsPerSecond);
};
