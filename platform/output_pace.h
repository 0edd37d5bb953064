// When a frame's picture goes to the terminal. The frame loop runs far
// faster than any terminal shows pictures, so pictures are sent at most once
// per display interval, only when they differ from what the terminal shows,
// and never while the terminal is still taking the previous one. On a link
// slower than the pictures the interval stretches so that pictures use about
// half of what the link carries: the buffers on the way then stay nearly
// empty, and each picture arrives fresh instead of behind a queue of stale
// ones. Pure: the caller passes the time and what it knows of the terminal.
#pragma once

#include <cstdint>

// 1/120 s: faster than the displays in use, so a change is never seen late.
constexpr int64_t kDisplayIntervalMicros = 1000000 / 120;
// However slow the link, a few pictures a second still go.
constexpr int64_t kLongestIntervalMicros = 250000;
// The link's rate is judged over windows this long.
constexpr int64_t kLinkWindowMicros = 250000;

struct OutputPace {
  int64_t intervalMicros = kDisplayIntervalMicros;
  bool sentAny = false;  // until the first picture the interval has no start
  int64_t lastSent = 0;  // when the last picture was made
  uint64_t lastBytes = 0;
  // Bytes per second the terminal was seen to take while full; 0 while it
  // has always kept up.
  double linkRate = 0;
  int64_t windowStart = 0;
  uint64_t windowBytes = 0;
  int64_t windowBlocked = 0;  // time in the window with bytes refused
  bool blocked = false;       // bytes are waiting since the terminal refused them
  int64_t blockedSince = 0;
};

enum class PaceStep {
  nothing,  // nothing new, or not yet time: the picture stays with curses
  push,     // bytes of the last picture are still waiting: write more of them
  send,     // make the picture now and write it
};

// The interval now in force: the display's, or longer on a slow link.
int64_t paceInterval(const OutputPace& pace);

// changed: curses holds a picture other than the one last sent.
// pending: bytes of the last picture have not all reached the terminal.
// writable: asks whether the terminal can take bytes without waiting; it
// costs a system call, so it is asked only when the answer decides.
PaceStep paceStep(const OutputPace& pace, int64_t now, bool changed, bool pending, bool (*writable)());

// A picture of `bytes` was made at `now`; the next one waits an interval.
void paceSent(OutputPace& pace, int64_t now, uint64_t bytes);

// The terminal took `bytes` at `now`; `full` when it then refused more.
void paceTook(OutputPace& pace, int64_t now, uint64_t bytes, bool full);
