// The arrow keys turning the view, read from terminal bytes on a fake clock
// (milliseconds).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/input/term/term_input.h"

namespace {

using Input = std::vector<std::pair<int64_t, std::string>>;  // bytes at their times (ms)

struct Turned {
  int32_t x = 0;
  int32_t y = 0;
  bool keys = false;  // W, space or Q read down at some poll
};

// Bytes at their times, polled every millisecond up to `until`; `exact`:
// the terminal confirmed the kitty flags, so releases are reported.
Turned play(const Input& input, int64_t until, bool exact) {
  TermInput term;
  termStart(term, -1, -1, true);
  if (exact) {
    term.kitty = true;
    termEnable(term);
    termFeed(term, reinterpret_cast<const uint8_t*>("\x1b[?11u"), 6, 0);
  }
  Turned turned;
  size_t next = 0;
  for (int64_t ms = 0; ms <= until; ms++) {
    for (; next < input.size() && input[next].first == ms; next++) {
      const std::string& bytes = input[next].second;
      termFeed(term, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ms * 1000);
    }
    InputState state;
    termEvaluate(term, ms * 1000, state);
    turned.x += state.turnX;
    turned.y += state.turnY;
    turned.keys = turned.keys || state.w || state.space || state.q;
  }
  return turned;
}

// Autorepeat as a keyboard sends it: a press, the delay, then a repeat
// every `gap` ms up to `last`.
Input held(const std::string& key, int64_t delay, int64_t gap, int64_t last) {
  Input presses = {{0, key}};
  for (int64_t ms = delay; ms <= last; ms += gap) presses.push_back({ms, key});
  return presses;
}

}  // namespace

// A timed hold: a tap, a second one (the delay), then steady from the first
// confirmed repeat at 540 ms to 3 x 40 ms after the last, 1500 ms: 1080 ms
// at 40 cells a second. An exact one: a cell at the press, steady from 250
// ms to the release.
TEST(ArrowKeys, TapsTurnOneCellHoldsFortyCellsASecond) {
  const std::string right = "\x1b[C";
  const struct {
    const char* name;
    Input input;
    bool exact;
    int32_t x, y;
  } cases[] = {
      {"timed tap", {{0, right}}, false, 1, 0},
      {"application mode, a modifier", {{0, "\x1bOA"}, {400, "\x1b[1;5B"}, {1800, "\x1b[D"}}, false, -1, 0},
      {"two quick taps", {{0, right}, {200, right}}, false, 2, 0},
      {"timed hold", held(right, 500, 40, 1500), false, 2 + 43, 0},
      {"exact tap", {{0, "\x1b[A"}, {90, "\x1b[1;1:3A"}}, true, 0, -1},
      {"exact hold", {{0, "\x1b[D"}, {500, "\x1b[1;1:2D"}, {1250, "\x1b[1;1:3D"}}, true, -41, 0},
      {"exact, both", {{0, "\x1b[B\x1b[C"}, {1250, "\x1b[1;1:3B"}, {2250, "\x1b[1;1:3C"}}, true, 81, 41},
  };
  for (const auto& c : cases) {
    Turned turned = play(c.input, 3000, c.exact);
    EXPECT_EQ(turned.x, c.x) << c.name;
    EXPECT_EQ(turned.y, c.y) << c.name;
    EXPECT_FALSE(turned.keys) << c.name;
  }
}

// Arrows never read as W, space or Q, nor end a hold of one.
TEST(ArrowKeys, LeaveTheOtherKeysAlone) {
  TermInput term;
  termStart(term, -1, -1, true);
  term.kitty = true;
  termEnable(term);
  const std::string bytes = "\x1b[?11u\x1b[119u\x1b[32u\x1b[C\x1b[1;1:3C\x1bOA\x1b[1;5D";
  termFeed(term, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0);
  InputState state;
  termEvaluate(term, 2000000, state);
  EXPECT_TRUE(state.w && state.space && !state.q);
  // Right tapped; left and up held for 2 s, steady for the last 1.75 s.
  EXPECT_EQ(state.turnX, 1 - (1 + 70));
  EXPECT_EQ(state.turnY, -(1 + 70));

  // Where presses are timed, an arrow's autorepeat teaches nothing about
  // how long W, space and Q stay down.
  TermInput timed;
  termStart(timed, -1, -1, true);
  for (int64_t ms : {0, 900, 980, 1060, 1140})
    termFeed(timed, reinterpret_cast<const uint8_t*>("\x1b[B"), 3, ms * 1000);
  EXPECT_EQ(timed.keys.timing.delayWindow, kDelayWindowDefault);
  EXPECT_EQ(timed.keys.timing.repeatHold, kRepeatHoldDefault);
  EXPECT_EQ(timed.keys.arrowTiming.repeatHold, 240000);
}
