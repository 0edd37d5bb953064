#include "support/frame_fixture.h"

#include "base/ktimer.h"

int64_t FrameTest::counter = 0;

namespace {

InputState scripted;

bool fakeCounter(int64_t* ticks) {
  *ticks = FrameTest::counter;
  return true;
}
bool fakeFrequency(int64_t* perSecond) {
  *perSecond = 1000000000;
  return true;
}
void scriptedPoll(InputState& state) { state = scripted; }
void noPin() {}

}  // namespace

void FrameTest::SetUp() {
  CursesTest::SetUp();
  Tessor::Base::QueryCounter = fakeCounter;
  Tessor::Base::QueryFrequency = fakeFrequency;
  framePoll = scriptedPoll;
  framePin = noPin;
  counter = 0;
}

void FrameTest::TearDown() {
  resetGame(1);
  Tessor::Base::QueryCounter = Tessor::Base::MonotonicCounter;
  Tessor::Base::QueryFrequency = Tessor::Base::MonotonicFrequency;
  framePoll = inputPoll;
  framePin = inputPin;
  CursesTest::TearDown();
}

void FrameTest::start(uint64_t seed) {
  resetGame(seed);
  startGame();
}

bool FrameTest::frame(float seconds, InputState input) {
  counter += static_cast<int64_t>(static_cast<double>(seconds) * 1e9 + 0.5);
  scripted = input;
  return runFrame();
}
