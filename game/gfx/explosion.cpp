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

gfxBurst::gfxBurst(Vec2 centrePoint, char glyphChar, int32_t colourIndex, float cellsPerSecond,
                   int32_t colourPairOffset)
    : gfxTask(layerBurst),
      centre(centrePoint),
      glyph(glyphChar),
      colour(colourIndex),
      speed(cellsPerSecond),
      pairOffset(colourPairOffset) {
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
  advance(step);
  // Each term is truncated on its own, so the centre's part is the same for
  // every particle.
  int64_t baseCol = truncCell(centre.x) + viewCol;
  int64_t baseRow = truncCell(centre.y) + viewRow;
  // No offset is longer than the radius; below this bound a plain
  // conversion is safe and saves the checks on every particle.
  bool plain = elapsed < 1.0e6f && elapsed > -1.0e6f;
  float bend = step * 0.05f;
  // Locals, so that drawing a cell (a call) does not force every value to
  // be read again from memory for the next particle.
  const float radius = elapsed;
  const int64_t rows = screenRows;
  const int64_t cols = screenCols;
  Vec2* offset = offsets.data();
  float* angle = angles.data();
  for (int i = 0; i < particleCount; ++i) {
    // The offset uses the direction from before this call's bend. One
    // sincosf gives the same two values as cosf and sinf here (checked over
    // every float of the angles' range) at half the cost.
    float sine = 0.0f;
    float cosine = 0.0f;
    ::sincosf(angle[i], &sine, &cosine);
    offset[i].x = radius * cosine;
    offset[i].y = -sine * radius;
    // An angle pushed past straight down by the first test is pulled back
    // by the second, so it settles around 3pi/2 instead of crossing it.
    if (angle[i] < straightDown) angle[i] += bend;
    if (angle[i] > straightDown) angle[i] -= bend;
    int64_t row = (plain ? static_cast<int64_t>(offset[i].y) : truncCell(offset[i].y)) + baseRow;
    int64_t col = (plain ? static_cast<int64_t>(offset[i].x) : truncCell(offset[i].x)) + baseCol;
    if (row >= 0 && row < rows && col >= 0 && col < cols)
      putEffectCell(static_cast<int>(row), static_cast<int>(col), glyph);
  }
}

gfxTaskExplosion::gfxTaskExplosion(Vec2 centrePoint, char glyphChar, int32_t colourIndex,
                                   float cellsPerSecond)
    : gfxBurst(centrePoint, glyphChar, colourIndex, cellsPerSecond, explosionPairOffset) {}

gfxTaskFireworks::gfxTaskFireworks(Vec2 centrePoint, char glyphChar, int32_t colourIndex,
                                   float cellsPerSecond)
    : gfxBurst(centrePoint, glyphChar, colourIndex, cellsPerSecond, fireworksPairOffset) {}
