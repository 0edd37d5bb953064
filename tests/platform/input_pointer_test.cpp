#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "term_feeder.h"

namespace {

struct MoveStep {
  int64_t ms;
  std::string bytes;
  int32_t dx, dy;
};

void runMoves(TermFeeder& t, const std::vector<MoveStep>& steps, const char* name) {
  for (const MoveStep& s : steps) {
    t.feed(s.bytes, s.ms);
    InputState state = t.poll(s.ms);
    EXPECT_EQ(state.dx, s.dx) << name << " at " << s.ms << " ms";
    EXPECT_EQ(state.dy, s.dy) << name << " at " << s.ms << " ms";
  }
}

// Total motion over polls every `step` ms from `from` to `to` inclusive.
int32_t sumDx(TermFeeder& t, int64_t from, int64_t to, int64_t step) {
  int32_t sum = 0;
  for (int64_t ms = from; ms < to; ms += step) sum += t.poll(ms).dx;
  return sum + t.poll(to).dx;
}

}  // namespace

TEST(PointerReports, DeltasFromABaseline) {
  struct Case {
    const char* name;
    std::vector<MoveStep> steps;
  };
  const Case cases[] = {
      {"motion in a batch",
       {{0, "\x1b[<35;100;50M", 0, 0},
        {10, "\x1b[<35;103;48M\x1b[<35;110;45M", 10, -5},
        {20, "\x1b[<32;112;45M", 2, 0},  // dragging with a button counts
        {30, "\x1b[<39;113;46M\x1b[<51;114;46M", 2, 1},  // modifiers held
        {40, "\x1b[<64;120;45M\x1b[<65;121;45M\x1b[<0;130;45M\x1b[<0;131;45m", 0, 0},
        {50, "", 0, 0}}},
      {"leave event: the next report is a new baseline",
       {{0, "\x1b[<35;50;50M", 0, 0},
        {10, "\x1b[<35;52;50M\x1b[<288;5;5M", 2, 0},
        {20, "\x1b[<35;150;90M", 0, 0},
        {30, "\x1b[<35;151;90M", 1, 0}}},
      {"focus lost and regained clear the baseline",
       {{0, "\x1b[<35;50;50M", 0, 0},
        {10, "\x1b[O\x1b[<35;70;50M", 0, 0},
        {20, "\x1b[I\x1b[<35;20;20M", 0, 0},
        {30, "\x1b[<35;21;22M", 1, 2}}},
      {"legacy X10 reports", {{0, "\x1b[MC++", 0, 0}, {10, "\x1b[MC.-", 3, 2}}},
  };
  for (const Case& c : cases) {
    TermFeeder t;
    runMoves(t, c.steps, c.name);
  }
}

TEST(PointerReports, IgnoredWhileX11HasThePointer) {
  TermFeeder t(false);
  t.feed("\x1b[<35;10;10M", 0);
  t.feed("\x1b[<35;200;10M", 10);
  EXPECT_EQ(t.poll(20).dx, 0);
}

TEST(PointerEdge, RestingOnTheEdgeKeepsTurning) {
  // 0.5 s on the last column at 40 cells/s is 20, however often polled.
  for (int64_t step : {500, 100, 7, 1}) {
    TermFeeder t;
    t.term.pointer.window = WindowSize{80, 25, 0, 0};
    t.feed("\x1b[<35;79;10M", 0);
    t.feed("\x1b[<35;80;10M", 0);
    EXPECT_EQ(sumDx(t, 0, 500, step), 1 + 20) << "polled every " << step << " ms";
    // Moving off stops it.
    t.feed("\x1b[<35;70;10M", 1000);
    EXPECT_EQ(t.poll(1000).dx, 20 - 10);
    EXPECT_EQ(t.poll(2000).dx, 0);
  }

  struct Case {
    const char* name;
    WindowSize window;
    bool pixels;
    std::string at;
    int32_t dx, dy;  // after resting 1 s
  };
  const Case cases[] = {
      {"left", {80, 25, 0, 0}, false, "\x1b[<35;1;10M", -40, 0},
      {"bottom", {80, 25, 0, 0}, false, "\x1b[<35;30;25M", 0, 40},
      {"top right corner", {80, 25, 0, 0}, false, "\x1b[<35;80;1M", 40, -40},
      {"inside", {80, 25, 0, 0}, false, "\x1b[<35;79;24M", 0, 0},
      {"pixels: last cell", {80, 25, 800, 500}, true, "\x1b[<35;795;250M", 40, 0},
      {"pixels: first cell", {80, 25, 800, 500}, true, "\x1b[<35;3;250M", -40, 0},
      {"pixels: inside", {80, 25, 800, 500}, true, "\x1b[<35;780;250M", 0, 0},
      {"pixels, size unknown", {80, 25, 0, 0}, true, "\x1b[<35;80;25M", 0, 0},
  };
  for (const Case& c : cases) {
    TermFeeder t;
    t.term.pointer.window = c.window;
    t.term.pointer.pixels = c.pixels;
    t.feed(c.at, 0);
    t.poll(0);
    InputState s = t.poll(1000);
    EXPECT_EQ(s.dx, c.dx) << c.name;
    EXPECT_EQ(s.dy, c.dy) << c.name;
  }

  // Leaving the window or losing the focus stops it too.
  for (const char* stop : {"\x1b[<288;1;1M", "\x1b[O"}) {
    TermFeeder t;
    t.term.pointer.window = WindowSize{80, 25, 0, 0};
    t.feed("\x1b[<35;80;10M", 0);
    t.feed(stop, 250);
    EXPECT_EQ(t.poll(250).dx, 10);
    EXPECT_EQ(t.poll(1000).dx, 0);
  }
}
