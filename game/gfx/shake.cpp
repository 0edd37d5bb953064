#include "game/gfx/shake.h"

#include "game/loop/random.h"
#include "game/loop/state.h"

bool shakeActive;
int32_t shakeSavedRow;
int32_t shakeSavedCol;

void resetShake() {
  shakeActive = false;
  shakeSavedRow = shakeSavedCol = 0;
}

namespace {

// The start values are the reset's, before main runs as for every module.
[[maybe_unused]] const bool shakeStarted = (resetShake(), true);

// Half-widths of the shake: trunc(2 x remaining), at most 3. Written as
// comparisons so a huge or NaN time cannot reach an undefined conversion.
int32_t shakeAmplitude(float remaining) {
  float twice = 2.0f * remaining;
  if (twice >= 3.0f) return 3;
  if (twice >= 0.0f) return static_cast<int32_t>(twice);
  return 0;
}

// One of 2a + 2 offsets from -a to a + 1.
int32_t shakeOffset(int32_t a) {
  uint32_t span = static_cast<uint32_t>(2 * a + 2);
  return static_cast<int32_t>(drawRandom() % span) - a;
}

}  // namespace

gfxShake::gfxShake() : gfxTask(layerShake) {
  shakeActive = true;
  shakeSavedRow = viewRow;
  shakeSavedCol = viewCol;
}

void gfxShake::update(float dt) {
  advance(dt);
  if (finished) {
    shakeActive = false;
    viewRow = shakeSavedRow;
    viewCol = shakeSavedCol;
    return;
  }
  int32_t a = shakeAmplitude(remaining);
  viewRow = shakeSavedRow + shakeOffset(a);
  viewCol = shakeSavedCol + shakeOffset(a);
}
