#include "game/gfx/cloud.h"

#include <cmath>

#include "game/display/colour_pairs.h"
#include "game/gfx/cells.h"
#include "game/loop/random.h"
#include "game/loop/state.h"

gfxRandCloud::gfxRandCloud(Vec2 centrePoint, float maxDistance, char glyphChar, int32_t pair,
                           int32_t perFrame)
    : gfxTask(layerCloud),
      centre(centrePoint),
      radius(maxDistance),
      glyph(glyphChar),
      colourPair(pair),
      count(perFrame) {}

void gfxRandCloud::update(float dt) {
  selectPair(colourPair);
  advance(dt);
  for (int32_t i = 0; i < count; ++i) {
    float distance = radius * random01();
    float angle = random01() * 6.2831855f - 3.1415927f;
    int64_t col = truncCell(std::cos(angle) * distance) + truncCell(centre.x) + viewCol;
    int64_t row = truncCell(centre.y) - truncCell(std::sin(angle) * distance) + viewRow;
    drawCell(row, col, glyph);
  }
}
