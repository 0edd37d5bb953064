#include "game/loop/frame.h"

#include <curses.h>

#include "game/display/colour_pairs.h"
#include "game/display/formation.h"
#include "game/display/overlay.h"
#include "game/gfx/effect_list.h"
#include "game/gfx/factories.h"
#include "game/gfx/shake.h"
#include "game/loop/player.h"
#include "game/loop/powerup.h"
#include "game/loop/random.h"
#include "game/loop/screen_size.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/levels.h"
#include "game/world/shots.h"
#include "platform/output/output.h"

Tessor::Base::Timer frameTimer;
float frameTime;
std::unique_ptr<gfxStars> starField;
float fireCooldown;
float enemyFireTimer;
InputState frameInput;
void (*framePoll)(InputState& state) = inputPoll;
void (*framePin)() = inputPin;
// erase, not clear: clear makes curses repaint the whole terminal at the
// next refresh, which at this frame rate is flicker and a flood of output.
int (*frameBlank)() = [] { return erase(); };

namespace {

void resetFrame() {
  starField.reset();
  frameTimer = Tessor::Base::Timer();
  frameTime = 0.0f;
  fireCooldown = -1.0f;
  enemyFireTimer = 5.0f;
  frameInput = InputState();
}

// The start values are the reset's, before main runs as for every module.
[[maybe_unused]] const bool frameStarted = (resetFrame(), true);

}  // namespace

void resetGame(uint64_t seed) {
  seedRandom(seed);
  resetGameState();
  resetLetters();
  resetShots();
  resetEffects();
  resetShake();
  resetPowerUp();
  resetFrame();
}

void startGame() {
  // The window may have changed size during the intro.
  takeScreenSize(getmaxy(stdscr), getmaxx(stdscr));
  setUpLevel(true);
  openingBurst();
  makeExplosion(1, 'a', false, true, Vec2i{55, 15});
  framePin();
  frameTimer.Initialize();
  starField = std::make_unique<gfxStars>(
      Vec2{static_cast<float>(screenCols / 2), static_cast<float>(screenRows / 2)}, 40.0f);
  // The field never ends and nothing reads its clock; the value is kept as
  // the game has always set it.
  starField->remaining = 80.0f;
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

// Drawing lands shots too: hits, kills and the change to the next level all
// happen inside updatePlayerShots.
void drawWorld() {
  frameBlank();
  selectPair(pairText);
  removeFinishedEffects();
  sortEffects();
  starField->update(frameTime);
  drawFormation();
  updateEffects(frameTime);
  updateEnemyShots(frameTime);
  updatePlayerShots(frameTime);
  updatePowerUp(frameTime);
  selectPair(pairText);
  drawOverlay();
  outputFrame();
}

}  // namespace

bool runFrame() {
  // The output step of the last frame resized curses to the terminal's
  // size; this frame is drawn and aimed for it.
  followScreenSize(getmaxy(stdscr), getmaxx(stdscr));
  // The formation is never turned or scaled; the grid goes through the
  // general transform so the drawing matches the kills made on it.
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
