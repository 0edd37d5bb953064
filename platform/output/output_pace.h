// When a frame's picture goes to the terminal. The frame loop runs far
// faster than any terminal shows pictures, so pictures are sent at most once
// per display interval, only when they differ from what the terminal shows,
// and never while the terminal is still taking the previous one. On a link
// slower than the pictures the interval stretches so that pictures use about
// half of what the link carries: the buffers on the way then stay nearly
// empty, and each picture arrives fresh instead of behind a queue of stale
// ones. Pure: the caller passes the time and what it knows of the terminal.
//
// Behind buffers the game cannot see (sshd and TCP take everything at once
// and hold megabytes) no write ever waits, so the above never notices a slow
// link. A terminal that answers DA1 shows the far end all the same: it
// answers requests in the order it reads them, so the answer to a request
// written after a picture means the whole picture has reached the screen.
// Then at most one or two pictures are on their way at any time, and the
// next one is made from the latest frame when an answer comes.
#pragma once

#include <cstdint>

// 1/120 s: faster than the displays in use, so a change is never seen late.
constexpr int64_t kDisplayIntervalMicros = 1000000 / 120;
// However slow the link, a few pictures a second still go.
constexpr int64_t kLongestIntervalMicros = 250000;
// The link's rate is judged over windows this long.
constexpr int64_t kLinkWindowMicros = 250000;

// How many pictures may be on their way at once. One while the answers
// show a queue on the way (a round trip longer than the shortest seen by
// more than the tolerance); one more with each answer that shows none, up
// to the most. A fast link keeps the display's pace, a slow one holds one
// picture at a time, and a turn never waits behind a queue of stale ones.
constexpr int kMostUnanswered = 4;
constexpr int64_t kQueueToleranceMicros = 10000;
// An answer later than this (or than three times what the picture's size
// and the last answer let expect, up to the longest) counts as lost:
// pictures go without requests (paced as above) for a while, then ask
// again. The picture is never held much longer.
constexpr int64_t kAnswerPatienceMicros = 1000000;
constexpr int64_t kLongestPatienceMicros = 4000000;
constexpr int64_t kAskAgainMicros = 10000000;

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
  bool asking = false;  // the terminal answers DA1
  int window = 1;       // pictures that may be unanswered
  int unanswered = 0;   // pictures whose request has no answer yet
  int64_t askedAt[kMostUnanswered] = {};
  uint64_t askedBytes[kMostUnanswered] = {};
  int owed = 0;                // answers still to come to requests given up on
  int64_t roundTrip = 0;       // of the latest answer
  int64_t shortestTrip = 0;    // the link's own delay, without queues
  uint64_t answeredBytes = 0;  // size of the latest answered picture
  int64_t askAgainAt = 0;      // after giving up: no requests until then
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

// True when the next picture is to be followed by a request.
bool paceAsks(const OutputPace& pace, int64_t now);

// A picture of `bytes` whose request went out at `now`.
void paceAsked(OutputPace& pace, int64_t now, uint64_t bytes);

// An answer came at `now`; false when no picture was waiting for one (the
// answer belongs to someone else).
bool paceAnswered(OutputPace& pace, int64_t now);

// Gives up on answers that are too late, and asks again once it is time.
void paceExpire(OutputPace& pace, int64_t now);

// The terminal took `bytes` at `now`; `full` when it then refused more.
void paceTook(OutputPace& pace, int64_t now, uint64_t bytes, bool full);
