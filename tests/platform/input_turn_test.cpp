// The arrow keys turning the view, read from terminal bytes on a fake clock
// (milliseconds), and the backend choice where the X window's focus is not
// the game's.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/input/input_select.h"
#include "platform/input/term/term_input.h"

namespace {

struct Turned {
  int32_t x = 0;
  int32_t y = 0;
  bool keys = false;  // W, space or Q read down at some poll
};

// Bytes at their times, polled every millisecond up to `until`; `exact`:
// the terminal confirmed the kitty flags, so releases are reported.
Turned play(const std::vector<std::pair<int64_t, std::string>>& input, int64_t until, bool exact) {
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
std::vector<std::pair<int64_t, std::string>> held(const std::string& key, int64_t delay, int64_t gap,
                                                  int64_t last) {
  std::vector<std::pair<int64_t, std::string>> presses = {{0, key}};
  for (int64_t ms = delay; ms <= last; ms += gap) presses.push_back({ms, key});
  return presses;
}

}  // namespace

TEST(ArrowKeys, TapsTurnOneCellHoldsFortyCellsASecond) {
  const std::string right = "\x1b[C", up = "\x1bOA";
  const std::vector<
      std::tuple<const char*, std::vector<std::pair<int64_t, std::string>>, bool, int32_t, int32_t>>
      cases = {
          // name, input, exact -> cells right, down
          {"timed tap", {{0, right}}, false, 1, 0},
          {"timed taps, application mode and with a modifier",
           {{0, up}, {400, "\x1b[1;5B"}, {1800, "\x1b[D"}},
           false,
           -1,
           0},
          {"two quick taps are two cells", {{0, right}, {200, right}}, false, 2, 0},
          // A tap, a second one (the delay), then steady from the first
          // confirmed repeat at 540 ms to 3 x 40 ms after the last, 1500
          // ms: 1080 ms at 40 cells a second.
          {"timed hold", held(right, 500, 40, 1500), false, 2 + 43, 0},
          {"exact tap", {{0, "\x1b[A"}, {90, "\x1b[1;1:3A"}}, true, 0, -1},
          // One cell at the press, steady from 250 ms to the release.
          {"exact hold", {{0, "\x1b[D"}, {500, "\x1b[1;1:2D"}, {1250, "\x1b[1;1:3D"}}, true, -41, 0},
          {"exact hold, down and right at once",
           {{0, "\x1b[B\x1b[C"}, {1250, "\x1b[1;1:3B"}, {2250, "\x1b[1;1:3C"}},
           true,
           81,
           41},
      };
  for (const auto& [name, input, exact, x, y] : cases) {
    Turned turned = play(input, 3000, exact);
    EXPECT_EQ(turned.x, x) << name;
    EXPECT_EQ(turned.y, y) << name;
    EXPECT_FALSE(turned.keys) << name;
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

TEST(InputSelect, ProgramsThatShowTerminalsInTheirOwnWindowsGetTheTerminal) {
  using E = InputEnvironment;
  const auto x11 = InputChoice::x11, term = InputChoice::terminal;
  const std::vector<std::tuple<const char * E::*, const char*, InputChoice>> cases = {
      {&E::insideEmacs, "29.1,term:0.96", term},
      {&E::insideEmacs, "vterm", term},
      {&E::insideEmacs, "", x11},
      {&E::term, "eterm-color", term},
      {&E::term, "eterm", term},
      {&E::term, "xterm-256color", x11},
      {&E::vimTerminal, "900", term},
      {&E::nvim, "/run/user/1000/nvim.1.0", term},
      {&E::zellij, "0", term},
      {&E::dvtm, "0.15", term},
  };
  for (const auto& [field, value, choice] : cases) {
    E e;
    e.display = ":0";
    e.windowId = "0x2800006";
    e.*field = value;
    EXPECT_EQ(inputChoose(e), choice) << value;
  }
}
