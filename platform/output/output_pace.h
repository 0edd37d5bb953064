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
// link. A terminal that answers DA1 shows the far end all the same: each
// picture is followed by a request (answers.h), and its answer means the
// whole picture has reached the screen. The link is then judged by what it
// delivers, as a congestion control judges a path: the rate at which
// pictures are answered, and the round trip at its floor. What may be on
// its way grows with every answer while it holds pictures back (doubling
// each round trip) until the usual round trip shows a queue; the link is
// then full, and what may be on its way is the rate by the floor (what the
// link holds without a queue: the floor includes a picture's own time on
// the link) plus the most that was answered at once beyond the rate (a
// terminal that answers after its own frame answers in bursts). One
// picture may always go: a slow link carries about one picture at a time,
// a near terminal the display's pace, and a turn never waits behind a
// queue of stale pictures.
#pragma once

#include <cstdint>

#include "platform/terminal/answers.h"

// 1/120 s: faster than the displays in use, so a change is never seen late.
constexpr int64_t kDisplayIntervalMicros = 1000000 / 120;
// However slow the link, a few pictures a second still go.
constexpr int64_t kLongestIntervalMicros = 250000;
// A terminal that refuses bytes is judged over spans this long.
constexpr int64_t kTookSpanMicros = 250000;

// Pictures on their way at most, whatever the link.
constexpr int kMostInFlight = 16;
// A full link: its rate by its floor may be on the way, and bursts of
// answers up to this long at that rate.
constexpr int64_t kLongestBurstMicros = 250000;
// A usual round trip longer than twice the floor and this is a queue; a
// floor counts as at least a frame of a slow terminal.
constexpr int64_t kQueueToleranceMicros = 50000;
constexpr int64_t kFrameFloorMicros = 25000;
// The rate is the best seen over the last two spans of this length; the
// floor is measured again (one picture alone) when it is this old, so a
// path whose delay rises for good gets its allowance back.
constexpr int64_t kRateSpanMicros = 5000000;
constexpr int64_t kFloorLifetimeMicros = 10000000;
// How much a byte on its way delays the next picture is learnt from about
// this many answers, once the bytes ahead of them spread by this much. A
// byte that costs at least this share of its time at the rate waits in a
// queue: the link is its bottleneck, and what may be on its way then keeps
// a new picture's wait behind the others within half the floor (at least a
// slow terminal's frame). A terminal that answers after its own frame
// answers as late with much ahead as with nothing, and keeps its bursts.
constexpr int kCostAnswers = 32;
constexpr double kCostSpreadBytes = 200;
constexpr double kQueuedShare = 0.5;
// An answer counts as overdue after three times what the picture's size
// and the usual round trip let expect, within these bounds. Then the far
// end may be unreachable: it asks again after each delay, doubled each
// time up to the longest, until answers come again. A picture, from the
// latest frame, goes with a retry only once the last one has waited the
// longest delay: a link that is down holds about one picture when it
// comes back, and a terminal that stopped answering still gets one every
// few seconds.
constexpr int64_t kAnswerPatienceMicros = 1000000;
constexpr int64_t kLongestPatienceMicros = 4000000;
constexpr int64_t kFirstRetryMicros = 1000000;
constexpr int64_t kLongestRetryMicros = 8000000;

struct OutputPace {
  int64_t intervalMicros = kDisplayIntervalMicros;
  bool sentAny = false;  // until the first picture the interval has no start
  int64_t lastSent = 0;  // when the last picture was made
  uint64_t lastBytes = 0;
  // Bytes per second the terminal was seen to take while full; 0 while it
  // has always kept up.
  double tookRate = 0;
  int64_t tookSpanStart = 0;
  uint64_t tookSpanBytes = 0;
  int64_t tookSpanBlocked = 0;  // time in the span with bytes refused
  bool blocked = false;         // bytes are waiting since the terminal refused them
  int64_t blockedSince = 0;
  // Answered pictures.
  uint64_t delivered = 0;   // bytes of every picture answered
  int64_t deliveredAt = 0;  // when the latest answer came
  double rate = 0;          // best bytes/s of the current span
  double earlierRate = 0;   // of the span before
  double burst = 0;         // most bytes answered beyond the rate at once, this span
  double earlierBurst = 0;  // of the span before
  int64_t rateSpanStart = 0;
  int64_t burstStart = 0;  // answers since then came faster than the rate
  uint64_t burstBytes = 0;
  uint64_t allowance = 0;    // bytes that may be on their way; 0: one picture
  bool full = false;         // a queue showed: the link carries no more
  bool heldBack = false;     // the allowance would hold the next picture
  int64_t floorTrip = 0;     // shortest round trip since measured; 0 unknown
  int64_t floorAt = 0;       // when it was measured
  bool remeasuring = false;  // one picture alone, to measure the floor
  int64_t smoothedTrip = 0;
  // Trips over the bytes ahead of them: means, spread and co-spread.
  double aheadMean = 0;
  double tripMean = 0;
  double aheadSpread = 0;
  double aheadTripSpread = 0;
  int costAnswers = 0;
  double byteCost = 0;   // micros a byte ahead adds to a trip; 0 none seen
  bool overdue = false;  // an answer is overdue: it asks again now and then
  int64_t retryAt = 0;
  int64_t retryDelay = 0;
};

enum class PaceStep {
  nothing,  // nothing new, or not yet time: the picture stays with curses
  push,     // bytes of the last picture are still waiting: write more of them
  send,     // make the picture now and write it
  ask,      // an overdue answer's retry: write a request alone
};

// The interval now in force: the display's, or longer on a slow link.
int64_t paceInterval(const OutputPace& pace);

// Bytes of pictures that may be on their way; 0 allows one picture only.
// Pure: the allowance, or none while an answer is overdue or the floor is
// being measured again.
uint64_t paceInFlightLimit(const OutputPace& pace);

// changed: curses holds a picture other than the one last sent.
// pending: bytes of the last picture have not all reached the terminal.
// writable: asks whether the terminal can take bytes without waiting; it
// costs a system call, so it is asked only when the answer decides.
PaceStep paceStep(const OutputPace& pace, const TerminalAnswers& answers, int64_t now, bool changed,
                  bool pending, bool (*writable)());

// A picture of `bytes` was made at `now`, its request (when the terminal
// answers) right behind it; the next one waits an interval.
void paceSent(OutputPace& pace, TerminalAnswers& answers, int64_t now, uint64_t bytes);

// A request went out alone at `now`, as the retry paceStep asked for.
void paceAsked(OutputPace& pace, TerminalAnswers& answers, int64_t now);

// The answer to `picture` came at `now`.
void paceAnswered(OutputPace& pace, int64_t now, const AskedPicture& picture);

// Finds an overdue answer; forgets answers owed too long.
void paceExpire(OutputPace& pace, TerminalAnswers& answers, int64_t now);

// After a suspend: the pictures' answers are settled, the link is judged
// afresh.
void paceForgetAnswers(OutputPace& pace);

// The terminal took `bytes` at `now`; `full` when it then refused more.
void paceTook(OutputPace& pace, int64_t now, uint64_t bytes, bool full);
