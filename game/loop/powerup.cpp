#include "game/loop/powerup.h"

#include <cstdlib>
#include <string>

#include "base/numtext.h"
#include "game/display/colour_pairs.h"
#include "game/display/console_cell.h"
#include "game/gfx/factories.h"
#include "game/loop/random.h"
#include "game/loop/state.h"

bool powerUpActive;
float powerUpMarkerTime;
int32_t powerUpRow;
int32_t powerUpCol;
float powerUpSpawnTimer;
float powerUpTimeLeft;

void resetPowerUp() {
  powerUpActive = false;
  powerUpMarkerTime = 10.0f;
  powerUpRow = powerUpCol = 0;
  powerUpSpawnTimer = 5.0f;
  powerUpTimeLeft = 10.0f;
}

namespace {

// The start values are the reset's, before main runs as for every module.
[[maybe_unused]] const bool powerUpStarted = (resetPowerUp(), true);

// A placement happens whenever the timer runs out, live marker or not.
void placeMarker() {
  powerUpCol = static_cast<int32_t>(drawRandom() % 142u) - 70;
  powerUpMarkerTime = 10.0f;
  powerUpRow = static_cast<int32_t>(drawRandom() % 142u) - 70;
  powerUpSpawnTimer = 30.0f + 30.0f * random01();
}

// The marker is taken by aiming within three cells of it; no shot needed.
bool underCrosshair() {
  return std::abs(powerUpRow + viewRow - screenRows / 2) < 4 &&
         std::abs(powerUpCol + viewCol - screenCols / 2) < 4;
}

void showCountdown(float frameTime) {
  std::string number;
  Tessor::Base::FloatToString(powerUpTimeLeft, number, 6);
  makeText("GunOfKravoDeath: " + number + "s", pairText, 1.0f, Vec2i{4, 2});
  powerUpTimeLeft -= frameTime;
  if (powerUpTimeLeft < 0.0f) {
    powerUpActive = false;
    powerUpTimeLeft = 10.0f;
  }
}

}  // namespace

void updatePowerUp(float frameTime) {
  powerUpSpawnTimer -= frameTime;
  if (powerUpSpawnTimer < 0.0f) placeMarker();
  if (powerUpMarkerTime > 0.0f) {
    powerUpMarkerTime -= frameTime;
    drawPowerUp();
    if (underCrosshair()) {
      powerUpSpawnTimer += 30.0f;
      powerUpActive = true;
      powerUpMarkerTime = -1.0f;
      makeText("otrzymujesz GunOfKravoDeath na 10 sekund!", pairText, 2.0f, Vec2i{4, 1});
    }
  }
  if (powerUpActive) showCountdown(frameTime);
}

void drawPowerUp() {
  selectPair(pairPowerUpMarker);
  for (int32_t r = powerUpRow - 2; r <= powerUpRow + 1; ++r)
    for (int32_t c = powerUpCol - 2; c <= powerUpCol + 1; ++c)
      plotCell(int64_t{r} + viewRow, int64_t{c} + viewCol, 'G');
}
