#include "game/loop/player.h"

#include <algorithm>

#include "game/gfx/factories.h"
#include "game/gfx/shake.h"
#include "game/loop/frame.h"
#include "game/loop/state.h"
#include "game/world/shots.h"

namespace {

// Wide in 64 bits so that no motion, however large, can overflow.
int32_t turned(int32_t view, int32_t motion) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(static_cast<int64_t>(view) - motion, -kViewLimit, kViewLimit));
}

// The shot takes the cell under the crosshair with last frame's view, since
// the pointer is read after the keys.
void fire() {
  if (fireCooldown < 0.0f) {
    fireCooldown = combatParams.fireInterval;
    playerShots.push_back(
        ShotRecord{screenRows / 2 - viewRow, screenCols / 2 - viewCol, combatParams.shotFlightTime});
  }
}

}  // namespace

void openingBurst() { makeExplosion(3, 'z', true, true, Vec2i{15, 15}); }

bool handleKeys(const InputState& input) {
  if (input.w) openingBurst();
  if (input.space) fire();
  return !(input.q || input.signalKey || input.hangup);
}

void mouseLook(const InputState& input) {
  if (shakeActive) {  // pointer motion during a shake is dropped, not saved
    shakeSavedRow = turned(shakeSavedRow, input.turnY);
    shakeSavedCol = turned(shakeSavedCol, input.turnX);
    return;
  }
  viewRow = turned(viewRow, input.dy);
  viewCol = turned(viewCol, input.dx);
  viewRow = turned(viewRow, input.turnY);
  viewCol = turned(viewCol, input.turnX);
}

void runFireCooldown() {
  if (fireCooldown >= 0.0f) fireCooldown -= frameTime;
}
