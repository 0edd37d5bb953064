#include "game/loop/frame.h"

#include <curses.h>

#include "game/display/colour_pairs.h"
#include "game/display/formation.h"
#include "game/display/overlay.h"
#include "game/gfx/effect_list.h"
#include "game/loop/player.h"
#include "game/loop/powerup.h"
#include "game/loop/random.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/levels.h"
#include "game/world/shots.h"
#include "platform/output.h"

Tessor::Base::Timer frameTimer;
float frameTime = 0.0f;
std::unique_ptr<gfxStars> starField;
float fireCooldown = -1.0f;
float enemyFireTimer = 5.0f;
InputState frameInput;
void (*framePoll)(InputState& state) = inputPoll;
void (*framePin)() = inputPin;
// erase, not clear: clear makes curses repaint the whole terminal at the
// next refresh, which at this frame rate is flicker and a flood of output.
int (*frameBlank)() = [] { return erase(); };

void startGame() {
  setUpLevel(true);
  makeExplosion(3, 'z', true, true, Vec2i{15, 15});
  makeExplosion(1, 'a', false, true, Vec2i{55, 15});
  framePin();
  frameTimer.Initialize();
  starField = std::make_unique<gfxStars>(
      Vec2{static_cast<float>(screenCols / 2), static_cast<float>(screenRows / 2)}, 40.0f);
  starField->remaining = 80.0f;
  fireCooldown = -1.0f;
  enemyFireTimer = 5.0f;
  powerUpSpawnTimer = 5.0f;
  powerUpTimeLeft = 10.0f;
}

namespace {

// The overshoot is not carried over: a long frame releases one shot at most.
void runEnemyFire() {
  enemyFireTimer -= frameTime;
  if (enemyFireTimer < 0.0f) {
    float low = combatParams.enemyReloadMin;
    float high = combatParams.enemyReloadMax;
    enemyFireTimer = low + (high - low) * random01();
    spawnEnemyShot();
  }
}

// However many enemy shots arrived, one loss of health and one shake.
void takeHits() {
  if (hitsTaken > 0) {
    playerHealth -= 0.05f;
    hitsTaken = 0;
    makeShake(2.0f);
  }
}

void drawWorld() {
  frameBlank();
  selectPair(1);
  removeFinishedEffects();
  sortEffects();
  starField->update(frameTime);
  drawFormation();
  updateEffects(frameTime);
  updateEnemyShots(frameTime);
  updatePlayerShots(frameTime);
  updatePowerUp(frameTime);
  selectPair(1);
  drawOverlay();
  outputFrame();
}

}  // namespace

bool runFrame() {
  rebuildDisplayGrid(0.0f, 1.0f);
  frameTime = frameTimer.Tick();
  framePoll(frameInput);
  if (!handleKeys(frameInput)) return false;
  mouseLook(frameInput);
  runFireCooldown();
  runEnemyFire();
  takeHits();
  drawWorld();
  return true;
}

void resetGame(uint64_t seed) {
  seedRandom(seed);
  int32_t rows = screenRows;
  int32_t cols = screenCols;
  resetGameState();
  screenRows = rows;
  screenCols = cols;
  resetLetters();
  resetShots();
  resetEffects();
  resetPowerUp();
  starField.reset();
  frameTimer = Tessor::Base::Timer();
  frameTime = 0.0f;
  fireCooldown = -1.0f;
  enemyFireTimer = 5.0f;
  frameInput = InputState();
}
