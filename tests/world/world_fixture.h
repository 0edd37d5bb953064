// Fresh game state on a headless 80 x 25 console for every test, and a
// random source that can be scripted.
#pragma once

#include <cstring>
#include <vector>

#include "fixtures/curses_fixture.h"
#include "game/display/formation.h"
#include "game/gfx/effect_list.h"
#include "game/loop/frame.h"
#include "game/loop/powerup.h"
#include "game/loop/random.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/shots.h"

inline std::vector<uint32_t> scriptedValues;

// From now on draws return the values given in order, the last one repeated
// (with none, 0).
inline void scriptRandom(std::vector<uint32_t> values) {
  scriptedValues = std::move(values);
  randomSource.step = [](RandomSource&) {
    const uint32_t r = scriptedValues.empty() ? 0u : scriptedValues.front();
    if (scriptedValues.size() > 1) scriptedValues.erase(scriptedValues.begin());
    return r;
  };
}

class WorldTest : public CursesTest {
protected:
  void SetUp() override {
    resetGame(20240601u);  // also puts the real random step back
    CursesTest::SetUp();
  }
  // Puts the current table at a known place and shows it as it is now.
  static void placeLevel(int32_t row, int32_t col) {
    formationRow = row;
    formationCol = col;
    initialEnemyCount = countLiveEnemies();
    rebuildDisplayGrid(0.0f, 1.0f);
  }
  static void fillLevel(uint8_t value) { std::memset(levelGrid, value, gridSize * gridSize); }
  static int killed() { return gridSize * gridSize - countLiveEnemies(); }
};
