#include "game/gfx/text.h"

#include <utility>

#include "game/display/colour_pairs.h"
#include "game/gfx/cells.h"

gfxText::gfxText(std::string message, int32_t pair, Vec2i position)
    : gfxTask(layerText), text(std::move(message)), x(position.x), y(position.y), colourPair(pair) {}

// Screen-fixed: the view offset is not added.
void gfxText::update(float dt) {
  advance(dt);
  selectPair(colourPair);
  for (size_t i = 0; i < text.size(); ++i)
    drawCell(y, static_cast<int64_t>(x) + static_cast<int64_t>(i), text[i]);
}
