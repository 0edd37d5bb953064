// Drawing fixture for the effects: a fresh screen, an empty effect list, a
// centred view and a random source that a test may script draw by draw.
#pragma once

#include <deque>

#include "game/gfx/effect_list.h"
#include "game/loop/random.h"
#include "game/loop/state.h"
#include "support/curses_fixture.h"

class GfxTest : public CursesTest {
protected:
  void SetUp() override {
    CursesTest::SetUp();
    savedSource_ = randomSource;
    seedRandom(12345);
    resetEffects();
    viewRow = viewCol = 0;
  }
  void TearDown() override {
    resetEffects();
    viewRow = viewCol = 0;
    randomSource = savedSource_;
    CursesTest::TearDown();
  }

  // Every later draw comes from values, then 0 once they run out.
  static void script(std::deque<uint32_t> values) {
    scripted() = std::move(values);
    draws() = 0;
    randomSource.step = [](RandomSource&) -> uint32_t {
      ++draws();
      if (scripted().empty()) return 0u;
      uint32_t r = scripted().front();
      scripted().pop_front();
      return r;
    };
  }
  static std::deque<uint32_t>& scripted() { static std::deque<uint32_t> q; return q; }
  static int& draws() { static int n = 0; return n; }

private:
  RandomSource savedSource_{};
};
