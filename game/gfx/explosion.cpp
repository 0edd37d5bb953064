#include "game/gfx/explosion.h"

#include <cmath>

#include "game/display/colour_pairs.h"
#include "game/gfx/cells.h"
#include "game/gfx/direction.h"
#include "game/loop/state.h"

namespace {

// Straight down (3pi/2) as the float the bend compares against.
constexpr float straightDown = 4.712389f;

}  // namespace

gfxBurst::gfxBurst(Vec2 centrePoint, char glyphChar, int32_t colourIndex,
                   float cellsPerSecond, int32_t firstPair)
    : gfxTask(7), centre(centrePoint), glyph(glyphChar), colour(colourIndex),
      speed(cellsPerSecond), pairOffset(firstPair) {
  offsets.reserve(particleCount);
  angles.reserve(particleCount);
  for (int i = 0; i < particleCount; ++i) {
    offsets.push_back(Vec2{0.0f, 0.0f});
    angles.push_back(randomDirection());
  }
}

void gfxBurst::update(float dt) {
  selectPair(colour + pairOffset);
  float step = speed * dt;
  elapsed += step;
  remaining -= step;
  if (remaining < 0.0f) finished = true;
  for (int i = 0; i < particleCount; ++i) moveParticle(i, step);
}

// The offset uses the direction from before this call's bend.
void gfxBurst::moveParticle(int i, float step) {
  Vec2& offset = offsets[i];
  float& angle = angles[i];
  offset.x = elapsed * std::cos(angle);
  offset.y = -std::sin(angle) * elapsed;
  // An angle pushed past straight down by the first test is pulled back by
  // the second, so it settles around 3pi/2 instead of crossing it.
  if (angle < straightDown) angle += step * 0.05f;
  if (angle > straightDown) angle -= step * 0.05f;
  int64_t col = truncCell(offset.x) + truncCell(centre.x) + viewCol;
  int64_t row = truncCell(offset.y) + truncCell(centre.y) + viewRow;
  drawCell(row, col, glyph);
}

gfxTaskExplosion::gfxTaskExplosion(Vec2 centrePoint, char glyphChar, int32_t colourIndex,
                                   float cellsPerSecond)
    : gfxBurst(centrePoint, glyphChar, colourIndex, cellsPerSecond, 5) {}

gfxTaskFireworks::gfxTaskFireworks(Vec2 centrePoint, char glyphChar, int32_t colourIndex,
                                   float cellsPerSecond)
    : gfxBurst(centrePoint, glyphChar, colourIndex, cellsPerSecond, 8) {}
