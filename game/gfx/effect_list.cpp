#include "game/gfx/effect_list.h"

#include <algorithm>

#include "game/gfx/cells.h"

std::list<std::unique_ptr<gfxTask>> effectList;

// A task is kept for the frame after it finishes, so its last update still
// shows; it goes at the start of the next effect phase.
void removeFinishedEffects() {
  effectList.remove_if([](const std::unique_ptr<gfxTask>& task) { return task->finished; });
}

namespace {

bool drawnBefore(const std::unique_ptr<gfxTask>& a, const std::unique_ptr<gfxTask>& b) {
  return a->layer < b->layer;
}

}  // namespace

// The list sort is stable: equal layers stay in the order they were made.
// Only the tasks made since the last frame can be out of place, and the
// list may hold thousands, so the sorted front is kept and only the new
// tail is sorted and merged into it: merge keeps the front's tasks ahead of
// equal ones from the tail, which gives exactly the stable sort of the whole.
void sortEffects() {
  auto tail = std::is_sorted_until(effectList.begin(), effectList.end(), drawnBefore);
  if (tail == effectList.end()) return;
  std::list<std::unique_ptr<gfxTask>> newer;
  newer.splice(newer.begin(), effectList, tail, effectList.end());
  newer.sort(drawnBefore);
  effectList.merge(newer, drawnBefore);
}

// Effects run at half the speed of the frame clock.
void updateEffects(float dt) {
  float step = dt * 0.5f;
  beginEffectCells();
  for (std::unique_ptr<gfxTask>& task : effectList) task->update(step);
  flushEffectCells();
}

void resetEffects() { effectList.clear(); }
