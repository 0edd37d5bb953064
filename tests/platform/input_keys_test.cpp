#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "term_feeder.h"

// Each step feeds bytes at a time and expects the keys held right after.
struct KeyStep {
  int64_t ms;
  std::string bytes;
  std::string held;
};

static void runSteps(TermFeeder& t, const std::vector<KeyStep>& steps, const char* name) {
  for (const KeyStep& s : steps) {
    t.feed(s.bytes, s.ms);
    EXPECT_EQ(t.held(s.ms), s.held) << name << " at " << s.ms << " ms after " << testing::PrintToString(s.bytes);
  }
}

TEST(KittyKeys, PressRepeatReleaseIgnoringModifiers) {
  struct Case {
    const char* name;
    std::vector<KeyStep> steps;
  };
  const Case cases[] = {
      {"w", {{0, "\x1b[119u", "w"}, {10, "\x1b[119;1:2u", "w"}, {20, "\x1b[119;1:3u", ""}}},
      {"space", {{0, "\x1b[32u", "s"}, {10, "\x1b[32;1:2u", "s"}, {20, "\x1b[32;1:3u", ""}}},
      {"q", {{0, "\x1b[113u", "q"}, {10, "\x1b[113;1:2u", "q"}, {20, "\x1b[113;1:3u", ""}}},
      {"locks and shift",
       {{0, "\x1b[119;129u", "w"}, {5, "\x1b[32;66u", "ws"}, {10, "\x1b[119;66:3u", "s"}, {15, "\x1b[32;2:3u", ""}}},
      {"modifier keys change nothing",
       {{0, "\x1b[119u", "w"}, {5, "\x1b[57441;2u\x1b[57442;5u", "w"}, {10, "\x1b[57441;1:3u\x1b[57358;65u", "w"}}},
      {"held past the repeat delay", {{0, "\x1b[32u", "s"}, {5000, "", "s"}, {5001, "\x1b[32;1:3u", ""}}},
      {"tap inside one poll", {{0, "\x1b[32u\x1b[32;1:3u", ""}}},
      {"split read", {{0, "\x1b[119u", "w"}, {5, "\x1b[11", "w"}, {6, "9;1:3u", ""}}},
      {"focus lost releases", {{0, "\x1b[119u\x1b[32u", "ws"}, {5, "\x1b[O", ""}, {10, "\x1b[I", ""}}},
  };
  for (const Case& c : cases) {
    TermFeeder t;
    runSteps(t, c.steps, c.name);
  }
}

TEST(KittyKeys, CtrlCAndCtrlZAreRequestsOnce) {
  struct Case {
    std::string bytes;
    bool quit, suspend;
  };
  const Case cases[] = {
      {"\x1b[99;5u", true, false},    {"\x1b[99;133u", true, false}, {"\x1b[122;5u", false, true},
      {"\x1b[99;5:3u", false, false}, {"\x1b[99u", false, false},    {"\x03", true, false},
      {"\x1a", false, true},          {"\x1b[122;1u", false, false},
  };
  for (const Case& c : cases) {
    TermFeeder t;
    t.feed(c.bytes, 0);
    InputState s = t.poll(0);
    EXPECT_EQ(s.quit, c.quit) << testing::PrintToString(c.bytes);
    EXPECT_EQ(s.suspend, c.suspend) << testing::PrintToString(c.bytes);
    EXPECT_FALSE(s.w || s.space || s.q);
    InputState again = t.poll(1);
    EXPECT_FALSE(again.quit || again.suspend);
  }
}

TEST(TimedKeys, TapsAndHoldsFromPresses) {
  struct Case {
    const char* name;
    std::vector<KeyStep> steps;
  };
  const Case cases[] = {
      {"a tap is down for the tap window only", {{0, "w", "w"}, {59, "", "w"}, {60, "", ""}, {100, "", ""}}},
      {"W and Q count as w and q", {{0, "W", "w"}, {1, "Q", "wq"}, {70, "", ""}}},
      {"Alt+space is space", {{0, "\x1b ", "s"}, {70, "", ""}}},
      {"a double tap is two taps",
       {{0, " ", "s"}, {60, "", ""}, {300, " ", "s"}, {359, "", "s"}, {360, "", ""}}},
      {"a hold: one shot, the delay, then continuous",
       {{0, " ", "s"}, {60, "", ""}, {499, "", ""}, {500, " ", "s"}, {530, "", "s"}, {540, " ", "s"},
        {560, "", "s"}, {580, " ", "s"}, {699, "", "s"}, {700, "", ""}}},
      {"repeats stop: up T2 after the last",
       {{0, "w", "w"}, {600, "w", "w"}, {640, "w", "w"}, {680, "w", "w"}, {720, "w", "w"}, {839, "", "w"},
        {840, "", ""}}},
      {"keys repeat on their own",
       {{0, "w ", "ws"}, {500, "w", "w"}, {540, "w", "w"}, {560, " ", "ws"}, {620, "", "w"}}},
      {"lone ESC then silence is no key", {{0, "\x1b", ""}, {60, "", ""}}},
  };
  for (const Case& c : cases) {
    TermFeeder t;
    runSteps(t, c.steps, c.name);
  }
}

TEST(TimedKeys, LearnsDelayAndRepeatRate) {
  TermFeeder t;
  const RepeatTiming& timing = t.term.keys.timing;
  for (int64_t ms : {0, 660, 700, 740}) t.feed("w", ms);
  EXPECT_EQ(timing.delayWindow, 720000);
  EXPECT_EQ(timing.repeatHold, 120000);

  // A double tap is no autorepeat: nothing learned from it.
  TermFeeder taps;
  for (int64_t ms : {0, 300}) taps.feed(" ", ms);
  EXPECT_EQ(taps.term.keys.timing.delayWindow, kDelayWindowDefault);

  // Gaps between bytes read together say nothing about the rate.
  TermFeeder burst;
  burst.feed("w", 0);
  burst.feed("ww", 400);
  burst.feed("www", 1300);
  EXPECT_EQ(burst.term.keys.timing.repeatHold, kRepeatHoldDefault);

  // A window learned too short heals at the next hold: the real first
  // repeat was taken for a tap, and the gap before it is the delay.
  TermFeeder heal;
  heal.term.keys.timing.delayWindow = 300000;
  for (int64_t ms : {0, 500, 540, 580}) heal.feed("w", ms);
  EXPECT_EQ(heal.term.keys.timing.delayWindow, 560000);
  EXPECT_EQ(heal.held(600), "w");
}
