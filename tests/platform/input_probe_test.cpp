#include <gtest/gtest.h>

#include <string>

#include "term_feeder.h"

TEST(Probe, RepliesChooseKeysAndPointer) {
  struct Case {
    const char* name;
    std::string replies;
    bool kitty, pixels;
  };
  const Case cases[] = {
      {"kitty", "\x1b[?0u\x1b[?1016;2$y\x1b[?62;22c", true, true},
      {"tmux: DA1 alone", "\x1b[?1;2c", false, false},
      {"tmux 3.6: mode unknown", "\x1b[?1016;0$y\x1b[?1;2c", false, false},
      {"xterm: pixels set", "\x1b[?1016;1$y\x1b[?64;1;2c", false, true},
      {"permanently reset", "\x1b[?1016;4$y\x1b[?6c", false, false},
      {"other mode reported", "\x1b[?1006;2$y\x1b[?6c", false, false},
  };
  for (const Case& c : cases) {
    TermFeeder t;
    termProbeBegin(t.term, 0);
    t.feed(c.replies, 20);
    EXPECT_TRUE(termProbeOver(t.term, 20 * 1000)) << c.name;
    termProbeEnd(t.term);
    EXPECT_EQ(t.term.kitty, c.kitty) << c.name;
    EXPECT_EQ(t.term.pixels, c.pixels) << c.name;
    EXPECT_EQ(t.term.pointer.pixels, c.pixels) << c.name;
  }
}

TEST(Probe, SilenceEndsAtTheDeadlineAndKeysSurvive) {
  TermFeeder silent;
  termProbeBegin(silent.term, 0);
  EXPECT_FALSE(termProbeOver(silent.term, 999 * 1000));
  EXPECT_TRUE(termProbeOver(silent.term, 1000 * 1000));
  termProbeEnd(silent.term);
  EXPECT_FALSE(silent.term.kitty);

  // A key typed before the reply is delivered, not taken for one.
  TermFeeder typed;
  termProbeBegin(typed.term, 0);
  typed.feed("w\x1b[?1;2c", 10);
  termProbeEnd(typed.term);
  EXPECT_FALSE(typed.term.kitty);
  EXPECT_TRUE(typed.term.keys.anyKey);
  EXPECT_EQ(typed.held(20), "w");

  // A reply that comes after the deadline changes nothing and is no key.
  TermFeeder late;
  termProbeBegin(late.term, 0);
  termProbeEnd(late.term);
  late.feed("\x1b[?11u\x1b[?1016;2$y\x1b[?1;2c", 1500);
  EXPECT_FALSE(late.term.kitty);
  EXPECT_FALSE(late.term.pixels);
  EXPECT_FALSE(late.term.keys.anyKey);
}
