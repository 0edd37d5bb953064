// Runs real frames of the game against the headless terminal with scripted
// input and a counter that only moves when the test says so.
#pragma once

#include "game/loop/frame.h"
#include "support/curses_fixture.h"

class FrameTest : public CursesTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // Starts a fresh game with a fixed seed (the intro is the caller's).
  void start(uint64_t seed = 12345);
  // Runs one frame that took `seconds`, with this input.
  bool frame(float seconds, InputState input = InputState());

public:
  static int64_t counter;  // what the fake counter reads, in nanoseconds
};
