#include "game/gfx/effect_list.h"

#include "game/gfx/shake.h"

std::list<std::unique_ptr<gfxTask>> effectList;

// A task is kept for the frame after it finishes, so its last update still
// shows; it goes at the start of the next effect phase.
void removeFinishedEffects() {
  effectList.remove_if([](const std::unique_ptr<gfxTask>& task) { return task->finished; });
}

// The list sort is stable: equal layers stay in the order they were made.
void sortEffects() {
  effectList.sort([](const std::unique_ptr<gfxTask>& a, const std::unique_ptr<gfxTask>& b) {
    return a->layer < b->layer;
  });
}

// Effects run at half the speed of the frame clock.
void updateEffects(float dt) {
  float step = dt * 0.5f;
  for (std::unique_ptr<gfxTask>& task : effectList) task->update(step);
}

void resetEffects() {
  effectList.clear();
  shakeActive = false;
  shakeSavedRow = 0;
  shakeSavedCol = 0;
}
