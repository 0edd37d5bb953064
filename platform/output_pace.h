// When a frame's picture goes to the terminal. The frame loop runs far
// faster than any terminal shows pictures, so pictures are sent at most once
// per display interval, only when they differ from what the terminal shows,
// and never while the terminal is still taking the previous one. Pure: the
// caller passes the time and what it knows about the terminal.
#pragma once

#include <cstdint>

// 1/120 s: faster than the displays in use, so a change is never seen late.
constexpr int64_t kDisplayIntervalMicros = 1000000 / 120;

struct OutputPace {
  int64_t intervalMicros = kDisplayIntervalMicros;
  bool sentAny = false;  // until the first picture the interval has no start
  int64_t lastSent = 0;  // when the last picture was made
};

enum class PaceStep {
  nothing,  // nothing new, or not yet time: the picture stays with curses
  push,     // bytes of the last picture are still waiting: write more of them
  send,     // make the picture now and write it
};

// changed: curses holds a picture other than the one last sent.
// pending: bytes of the last picture have not all reached the terminal.
// writable: asks whether the terminal can take bytes without waiting; it
// costs a system call, so it is asked only when the answer decides.
PaceStep paceStep(const OutputPace& pace, int64_t now, bool changed, bool pending, bool (*writable)());

// A picture was made at `now`; the next one waits a whole interval.
void paceSent(OutputPace& pace, int64_t now);
