// Drawing fixture for the effects: a fresh screen, an empty effect list, a
// centred view and a random source that a test may script draw by draw.
#pragma once

#include <deque>

#include "fixtures/curses_fixture.h"
#include "game/gfx/effect_list.h"
#include "game/gfx/shake.h"
#include "game/loop/random.h"
#include "game/loop/state.h"

inline std::deque<uint32_t> scripted;

class GfxTest : public CursesTest {
protected:
  void SetUp() override {
    CursesTest::SetUp();
    seedRandom(12345);
    resetEffects();
    resetShake();
    viewRow = viewCol = 0;
  }
  // Every later draw comes from values, then 0 once they run out.
  static void script(std::deque<uint32_t> values) {
    scripted = std::move(values);
    randomSource.step = [](RandomSource&) {
      uint32_t r = scripted.empty() ? 0u : scripted.front();
      if (!scripted.empty()) scripted.pop_front();
      return r;
    };
  }
};
