// The terminal backend driven with bytes and a fake clock in milliseconds.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <tuple>
#include <vector>

#include "platform/input/input_select.h"
#include "platform/input/term/term_input.h"
#include "platform/output/output.h"
#include "platform/terminal/answers.h"
#include "platform/terminal/signals.h"

namespace {

struct Feeder {
  TermInput term;
  // `agreed`: the terminal's reply to the kitty flags pushed at start, or
  // null when nothing was pushed.
  explicit Feeder(WindowSize window = {200, 100, 0, 0}, bool pixels = false, bool mouse = true,
                  const char* agreed = "\x1b[?11u") {
    termStart(term, -1, -1, mouse);
    term.pointer.window = window;
    term.pointer.pixels = pixels;
    if (agreed == nullptr) return;
    term.kitty = true;
    termEnable(term);
    put(agreed, 0);
  }
  void put(const std::string& bytes, int64_t ms) {
    termFeed(term, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ms * 1000);
  }
  // Bytes arriving at `ms`, then a poll at `ms`.
  InputState feed(const std::string& bytes, int64_t ms) {
    put(bytes, ms);
    InputState state;
    termEvaluate(term, ms * 1000, state);
    return state;
  }
  // What the game sees: "w", "s", "q" for keys down, "C", "\\", "Z" for Ctrl-C, Ctrl-\\, Ctrl-Z,
  // "(dx,dy)" for motion.
  std::string seen(const std::string& bytes, int64_t ms) {
    InputState s = feed(bytes, ms);
    std::string motion = s.dx || s.dy ? "(" + std::to_string(s.dx) + "," + std::to_string(s.dy) + ")" : "";
    return std::string(s.w ? "w" : "") + (s.space ? "s" : "") + (s.q ? "q" : "") +
           (s.signalKey == SIGINT ? "C" : "") + (s.signalKey == SIGQUIT ? "\\" : "") +
           (s.suspend ? "Z" : "") + motion;
  }
};

struct Case {
  const char* name;
  std::vector<std::tuple<int64_t, std::string, std::string>> steps;  // at ms, bytes -> seen
  bool mouse = true;                                                 // false: X11 has the pointer
  const char* agreed = "\x1b[?11u";
};

}  // namespace

TEST(TermInput, WhatTheGameSees) {
  const std::string overLong = "\x1b[" + std::string(200, '1') + " q";  // would leak " q" if cut short
  std::string flood;  // one 8 kB read of corner-to-corner motion: its sum once overflowed
  for (int i = 0; i < 300; i++) flood += "\x1b[<35;1;1M\x1b[<35;9999999;9999999M\x1b[I";
  const Case cases[] = {
      {"kitty, modifier and lock bits",
       {{0, "\x1b[119;129u", "w"},
        {5, "\x1b[32;66u", "ws"},
        {7, "\x1b[113;3u", "wsq"},
        {5000, "", "wsq"},
        {5001, "\x1b[119;66:3u\x1b[32;2:3u\x1b[113;1:3u", ""}}},
      {"Ctrl-C, Ctrl-\\ and Ctrl-Z as keys, handed out once",
       {{0, "\x1b[99;5u", "C"},
        {1, "", ""},
        {2, "\x1b[99;133u", "C"},
        {3, "\x1b[122;5u", "Z"},
        {4, "\x1a", "Z"},
        {5, "\x1b[99;5:3u\x1b[99u\x1b[99;4u", ""},
        {6, "\x1b[11\0039u", "wC"},  // a C0 control inside a sequence
        {8, "\x1c", "w\\"},
        {9, "\x1b[92;5u", "w\\"}}},
      {"kitty repeats hold nothing past the release",
       {{0, "\x1b[119u", "w"},
        {40, "\x1b[119;1:2u", "w"},
        {80, "\x1b[119;1:2u\x1b[119;1:3u", "w"},
        {81, "", ""}}},
      {"kitty taps inside one poll read down in it, and only in it",
       {{0, "\x1b[32u\x1b[32;1:3u", "s"},
        {1, "", ""},
        {7, "w\x1b[119;1:3u", "w"},
        {8, "", ""}}},  // a release also ends a timed hold
      {"kitty reports before the terminal agreed to the push are not obeyed",
       {{0, "\x1b[32u", ""}, {1, "\x1b[?11u\x1b[119u", ""}, {60, "", ""}},
       true,
       nullptr},
      {"kitty push not confirmed (flags dropped)", {{0, "\x1b[32u", ""}}, true, "\x1b[?1u"},
      {"shifted, Alt", {{0, "W\x1b Q", "wsq"}}},
      {"Ctrl with a key keeps it, as a kitty code or a control byte",
       {{0, "\x1b[113;5u", "q"}, {1, "\x1b[113;5:3u", ""}, {300, "\x11\x17", "wq"}}},
      {"kitty split read", {{0, "\x1b[119u", "w"}, {5, "\x1b[11", "w"}, {6, "9;1:3u", ""}}},
      {"junk then a key", {{0, "\x1b[1;5A\x1bOP\x1b[15~" + overLong + "\x1b[12\xc3w", "w"}}},
      {"a key right after an over-long sequence", {{0, overLong + "\x1b[119u", "w"}}},
      {"ESC restarts a sequence", {{0, "\x1b[1\x1b[119u", "w"}}},
      // 150 ms lies three times past the lone-ESC wait and well inside the
      // stale-sequence timeout: with the two swapped, both rows read wrong.
      {"a lone ESC is the Escape key by 150 ms: what follows is keys", {{0, "\x1b", ""}, {150, "[119u", ""}}},
      {"an unfinished CSI still completes 150 ms later", {{0, "\x1b[119", ""}, {150, "u", "w"}}},
      {"huge code saturates, no wrap to 'w'", {{0, "\x1b[4294967415u", ""}}},
      {"stale ESC [ swallows no later key", {{0, "\x1b[", ""}, {600, "w", "w"}}},
      {"motion; buttons and wheel do not move",
       {{0, "\x1b[<35;100;50M", ""},
        {10, "\x1b[<35;103;48M\x1b[<35;110;45M", "(10,-5)"},
        {20, "\x1b[<32;112;45M\x1b[<51;113;46M", "(3,1)"}}},  // drag, modifiers
      {"a stray CSI M is no X10 report: the bytes after it are keys", {{0, "\x1b[Mwq ", "wsq"}}},
      {"urxvt: any-motion reports without the motion bit",
       {{0, "\x1b[<31;10;10M", ""},
        {10, "\x1b[<31;15;12M", "(5,2)"},
        {30, "\x1b[<3;30;12m\x1b[<67;40;12M\x1b[<1;50;12M", ""}}},  // release, wheel, click
      {"a flood of motion in one read moves no more than the window", {{0, flood, "(200,100)"}}},
      {"positions clamped to the window",
       {{0, "\x1b[<35;100;50M", ""}, {10, "\x1b[<35;99999;0M", "(100,-49)"}}},
      {"X11 has the pointer", {{0, "\x1b[<35;10;10M", ""}, {10, "\x1b[<35;20;10M", ""}}, false},
      {"focus out: releases keys, stops edge turning, clears the baseline; so do focus in and leave",
       {{0, "\x1b[119u\x1b[<35;1;50M", "w"},
        {240, "\x1b", "w(-9,0)"},
        {250, "[O", "(-1,0)"},
        {1000, "\x1b[<35;70;50M", ""},
        {1010, "\x1b[I\x1b[<35;20;20M", ""},
        {1020, "\x1b[<35;21;22M", "(1,2)"},
        {1030, "\x1b[<35;200;22M\x1b[<288;5;5M", "(179,0)"},  // a leave report does the same
        {2000, "\x1b[<35;150;90M", ""}}},
  };
  for (const Case& c : cases) {
    Feeder t({200, 100, 0, 0}, false, c.mouse, c.agreed);
    for (const auto& [ms, bytes, seen] : c.steps)
      EXPECT_EQ(t.seen(bytes, ms), seen) << c.name << " at " << ms;
  }
}

// A key byte for a key that is not repeating reads down for a tap; from the
// gaps between repeats it learns the keyboard's delay (T1) and interval (T2).
TEST(TermInput, TimedKeysLearnTheRepeat) {
  const std::vector<std::tuple<const char*, std::vector<int64_t>, int64_t>> cases = {
      // presses at ms -> up at ms
      {"a tap is one shot", {0}, 60},
      {"a double tap is two taps", {0, 300}, 360},
      {"up 3 x the median gap after the last repeat; bytes read together teach no gap",
       {0, 500, 540, 540, 580, 580, 580},
       700},
      {"T1 = delay + 60 ms: after a 660 ms delay, a 710 ms one is a hold too",
       {0, 660, 690, 730, 790, 1500, 1530},
       1650},
      {"T1 learnt at 260 ms; a 500 ms delay reads as a tap, and the gap before that tap teaches T1",
       {0, 200, 230, 2000, 2500, 2530, 2560, 5000, 5500, 5530},
       5620},
  };
  for (const auto& [name, presses, up] : cases) {
    Feeder t;
    for (int64_t ms : presses) EXPECT_EQ(t.seen(" ", ms), "s") << name << " at " << ms;
    EXPECT_EQ(t.seen("", up - 1), "s") << name;
    EXPECT_EQ(t.seen("", up), "") << name;
  }
}

// Resting on an edge cell turns 40 units a second that way, however often
// it is polled; moving off stops it.
TEST(TermInput, EdgesTurn) {
  const WindowSize cells = {200, 100, 0, 0}, pixels = {80, 25, 800, 500}, unknown = {80, 25, 0, 0};
  const std::vector<std::tuple<WindowSize, int32_t, int32_t, int32_t, int32_t>> cases = {
      // window (pixels when it has them), at x, y -> turn
      {cells, 1, 100, -40, 40}, {cells, 200, 1, 40, -40},  {cells, 2, 99, 0, 0},
      {cells, 199, 2, 0, 0},    {pixels, 791, 250, 40, 0}, {pixels, 10, 250, -40, 0},
      {pixels, 790, 250, 0, 0}, {pixels, 11, 250, 0, 0},   {unknown, 80, 25, 0, 0},
  };
  for (const auto& [window, x, y, dx, dy] : cases) {
    Feeder t(window, window.cols == 80);
    InputState s = t.feed("\x1b[<35;" + std::to_string(x) + ";" + std::to_string(y) + "M", 0);
    for (int64_t ms = 1; ms <= 1000; ms++) {
      InputState polled = t.feed("", ms);
      s.dx += polled.dx;
      s.dy += polled.dy;
    }
    EXPECT_EQ(s.dx, dx) << x << "," << y;
    EXPECT_EQ(s.dy, dy) << x << "," << y;
    t.feed("\x1b[<35;" + std::to_string(x - dx / 40) + ";" + std::to_string(y - dy / 40) + "M", 1000);
    EXPECT_EQ(t.seen("", 2000), "") << x << "," << y;
  }
}

// Pixel pointer and synchronized output need "set" or "reset" (the mode
// exists) of their own mode.
TEST(TermProbe, RepliesDeadlineAndTypedKeys) {
  const std::vector<std::tuple<std::string, bool, bool, bool, std::string>> cases = {
      // replies -> kitty, pixels, synchronized, keys
      {"\x1b[?0u\x1b[?1016;2$y\x1b[?2026;1$y\x1b[?62;22c", true, true, true, ""},
      {"\x1b[?1016;0$y\x1b[?2026;0$y\x1b[?1;2c", false, false, false, ""},
      {"\x1b[?1016;1$y\x1b[?64;1;2c", false, true, false, ""},
      {"\x1b[?1016;4$y\x1b[?2026;2$y\x1b[?6c", false, false, true, ""},
      {"\x1b[?2026;4$y\x1b[?6c", false, false, false, ""},
      {"w\x1b[?1;2c", false, false, false, "w"},  // a key typed before the reply is delivered
  };
  for (const auto& [replies, kitty, pixels, synchronized, keys] : cases) {
    const std::string name = testing::PrintToString(replies);
    Feeder t({}, false, true, nullptr);
    outputSynchronized = false;
    termProbeBegin(t.term, 0);
    t.put(replies, 10);
    EXPECT_TRUE(termProbeOver(t.term, 10000)) << name;
    termProbeEnd(t.term);
    EXPECT_EQ(t.term.kitty, kitty) << name;
    EXPECT_EQ(t.term.pointer.pixels, pixels) << name;
    EXPECT_EQ(outputSynchronized, synchronized) << name;
    EXPECT_EQ(t.term.keys.anyKey, !keys.empty()) << name;
    EXPECT_EQ(t.seen("", 20), keys) << name;
  }
  outputSynchronized = false;

  Feeder silent({}, false, true, nullptr);
  termProbeBegin(silent.term, 0);
  EXPECT_FALSE(termProbeOver(silent.term, 999999));
  EXPECT_TRUE(termProbeOver(silent.term, 1000000));
}

// Programs that show terminals in windows of their own (Emacs, Vim, Neovim,
// zellij, dvtm) never have the X window's focus: the terminal for them.
TEST(InputSelect, EnvironmentChoosesTheBackend) {
  using E = InputEnvironment;
  const auto x11 = InputChoice::x11, term = InputChoice::terminal;
  const std::vector<std::tuple<const char * E::*, const char*, InputChoice>> cases = {
      {&E::mode, "evdev", x11},
      {&E::mode, "terminal", term},
      {&E::display, "", term},
      {&E::waylandDisplay, "w", term},
      {&E::sshConnection, "1 2", term},
      {&E::tmux, "/tmp/t,1,0", term},
      {&E::windowId, nullptr, term},
      {&E::windowId, "12abc", term},
      {&E::windowId, "-5", term},
      {&E::windowId, "41943054", x11},
      {&E::insideEmacs, "29,term:0.96", term},
      {&E::insideEmacs, "vterm", term},
      {&E::insideEmacs, "", x11},
      {&E::term, "eterm-color", term},
      {&E::term, "eterm", term},
      {&E::term, "xterm", x11},
      {&E::vimTerminal, "900", term},
      {&E::nvim, "/run/nvim.1", term},
      {&E::zellij, "0", term},
      {&E::dvtm, "0.15", term},
  };
  for (const auto& [field, value, choice] : cases) {
    E e{nullptr, ":0", nullptr, nullptr, nullptr, nullptr, nullptr, "0x2800006"};
    e.*field = value;
    EXPECT_EQ(inputChoose(e), choice) << (value ? value : "null");
    e.mode = "x11";  // forced: X11 first whatever else is set
    EXPECT_EQ(inputChoose(e), x11) << (value ? value : "null");
  }
}

// Answers to the probe that come after its deadline, whatever they say:
// the kitty flags are taken, the modes follow the values that can be on
// (1 to 3), the DA1 answer in any form ends the lateness, and nothing
// after it counts as the probe's.
TEST(TermProbe, LateAnswersOfEveryValue) {
  const char* const attributes[] = {"\x1b[?62;22c", "\x1b[?1;2c", "\x1b[?6c", "\x1b[?64;1;2;6;22c"};
  for (int ps = 0; ps <= 4; ps++) {
    for (const char* da : attributes) {
      const std::string name = std::to_string(ps) + " " + testing::PrintToString(da);
      Feeder t({}, false, true, nullptr);
      outputSynchronized = false;
      termProbeBegin(t.term, 0);
      termProbeEnd(t.term);  // the deadline passed with no answer
      ASSERT_TRUE(terminalAnswers.probeLate) << name;
      const std::string value = std::to_string(ps);
      t.put("\x1b[?11u\x1b[?1016;" + value + "$y\x1b[?2026;" + value + "$y", 1500);
      EXPECT_TRUE(t.term.kitty) << name;
      bool on = ps >= 1 && ps <= 3;
      EXPECT_EQ(t.term.pixels, on) << name;
      EXPECT_EQ(t.term.pointer.pixels, on) << name;
      EXPECT_EQ(outputSynchronized, on) << name;
      t.put(da, 1600);
      EXPECT_FALSE(terminalAnswers.probeLate) << name;
      EXPECT_TRUE(terminalAnswers.answering) << name;
      t.put("\x1b[?1016;1$y\x1b[?2026;1$y", 1700);
      EXPECT_EQ(t.term.pixels, on) << name;
      EXPECT_EQ(outputSynchronized, on) << name;
      EXPECT_FALSE(t.term.keys.anyKey) << name;
    }
  }
  outputSynchronized = false;
}

// The handover reads up to its own answer, which comes behind every answer
// still owed to pictures; keys and other answers do not end it.
TEST(TermHandOver, WaitsForEveryAnswerOwed) {
  Feeder t({}, false, true, nullptr);
  terminalAnswers.answering = true;
  answersPictureAsked(terminalAnswers, 0, 100, 0, 0);
  answersGiveUp(terminalAnswers);
  answersPictureAsked(terminalAnswers, 1000, 100, 0, 0);
  answersHandOverAsked(terminalAnswers);
  const std::vector<std::tuple<const char*, bool>> steps = {
      {"\x1b[?62c", true},   // the picture's given up on
      {"w", true},           // a key
      {"\x1b[?62c", true},   // the picture's still timed
      {"\x1b[?62c", false},  // its own
  };
  int64_t ms = 0;
  for (const auto& [bytes, waits] : steps) {
    ms += 10;
    t.put(bytes, ms);
    EXPECT_EQ(termHandOverLeft(t.term, ms * 1000, ms * 1000, 8000000) > 0, waits)
        << testing::PrintToString(bytes);
  }
  answersHandOverEnded(terminalAnswers);
  // A second handover waits for its own answer again.
  answersHandOverAsked(terminalAnswers);
  EXPECT_GT(termHandOverLeft(t.term, 100000, 100000, 8000000), 0);
  t.put("\x1b[?62c", 110);
  EXPECT_EQ(termHandOverLeft(t.term, 110000, 110000, 8000000), 0);
  answersHandOverEnded(terminalAnswers);
}

// The wait ends once the link has been silent for the bound, or at once on
// a hangup; a quit signal other than SIGHUP does not end it.
TEST(TermHandOver, SilenceAndHangupEndIt) {
  struct Case {
    const char* name;
    int64_t heard, now;
    bool hangup;
    int signal;
    int64_t left;
  } cases[] = {
      {"silent a microsecond less than the bound", 1000, 8001000 - 1, false, 0, 1},
      {"silent for the bound", 1000, 8001000, false, 0, 0},
      {"heard just now", 5000000, 5000000, false, 0, 8000000},
      {"hung up", 1000, 1000, true, 0, 0},
      {"SIGHUP", 1000, 1000, false, SIGHUP, 0},
      {"SIGTERM waits on", 1000, 1000, false, SIGTERM, 8000000},
  };
  for (const Case& c : cases) {
    Feeder t({}, false, true, nullptr);
    answersHandOverAsked(terminalAnswers);
    t.term.hangup = c.hangup;
    quitSignal = c.signal;
    EXPECT_EQ(termHandOverLeft(t.term, c.heard, c.now, 8000000), c.left) << c.name;
    quitSignal = 0;
    answersHandOverEnded(terminalAnswers);
  }
}
