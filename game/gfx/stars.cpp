#include "game/gfx/stars.h"

#include <cmath>

#include "game/display/colour_pairs.h"
#include "game/gfx/cells.h"
#include "game/gfx/direction.h"
#include "game/loop/random.h"

namespace {

constexpr int starCount = 60;

}  // namespace

gfxStars::gfxStars(Vec2 centrePoint, float speedRadius)
    : gfxTask(layerStars), centre(centrePoint), radius(speedRadius) {
  offsets.reserve(starCount);
  angles.reserve(starCount);
  distances.reserve(starCount);
  for (int i = 0; i < starCount; ++i) {
    offsets.push_back(Vec2{0.0f, 0.0f});
    angles.push_back(randomDirection());
    distances.push_back(2.0f * radius * random01());
  }
}

// Screen-fixed and endless: neither the view offset nor the task's own
// clock is touched.
void gfxStars::update(float dt) {
  selectPair(colourPair);
  float step = dt * radius;
  for (size_t i = 0; i < distances.size(); ++i) {
    distances[i] += step;
    if (distances[i] > 2.0f * radius) distances[i] = 0.0f;
    offsets[i].x = std::cos(angles[i]) * distances[i];
    offsets[i].y = -std::sin(angles[i]) * distances[i];
    int64_t col = truncCell(offsets[i].x) + truncCell(centre.x);
    int64_t row = truncCell(offsets[i].y) + truncCell(centre.y);
    drawCell(row, col, glyph);
  }
}
