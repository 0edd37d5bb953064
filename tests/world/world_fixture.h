// Fresh game state on a headless 80 x 25 console for every test, and a
// random source that can be scripted or counted.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "game/display/formation.h"
#include "game/gfx/effect_list.h"
#include "game/loop/powerup.h"
#include "game/loop/random.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/shots.h"
#include "support/curses_fixture.h"

namespace scripted {
inline std::vector<uint32_t> values;  // given in order, the last one repeated
inline size_t draws = 0;
inline uint32_t step(RandomSource&) {
  size_t i = draws++;
  return values[i < values.size() ? i : values.size() - 1];
}
inline uint32_t counting(RandomSource& source) {
  ++draws;
  return nextRandom(source);
}
}  // namespace scripted

inline void scriptRandom(std::vector<uint32_t> values) {
  scripted::values = std::move(values);
  scripted::draws = 0;
  randomSource.step = scripted::step;
}

inline void countRandom(uint32_t seed) {
  seedRandom(seed);
  scripted::draws = 0;
  randomSource.step = scripted::counting;
}

// Every running effect of type T, in list order.
template <typename T>
std::vector<T*> effectsOf() {
  std::vector<T*> found;
  for (auto& task : effectList)
    if (T* t = dynamic_cast<T*>(task.get())) found.push_back(t);
  return found;
}

inline void resetWorld() {
  effectList.clear();
  resetShots();
  resetLetters();
  resetPowerUp();
  resetGameState();
  seedRandom(20240601u);  // also puts the real step back
  std::memset(displayGrid, 0, sizeof displayGrid);
}

class WorldTest : public CursesTest {
protected:
  void SetUp() override {
    resetWorld();
    CursesTest::SetUp();
  }
  void TearDown() override {
    CursesTest::TearDown();
    resetWorld();
  }

  // Puts the current table at a known place and shows it as it is now.
  static void placeLevel(int32_t row, int32_t col) {
    formationRow = row;
    formationCol = col;
    initialEnemyCount = countLiveEnemies();
    rebuildDisplayGrid(0.0f, 1.0f);
  }
  static void fillLevel(uint8_t value) { std::memset(levelGrid, value, gridSize * gridSize); }
  static uint8_t cell(int r, int c) { return levelGrid[gridSize * r + c]; }
  static int killed() { return gridSize * gridSize - countLiveEnemies(); }
};
