// A terminal at the far end of a link the game cannot see. sshd and TCP take
// every byte at once into a queue without bound; the queue crosses the wire
// at a set rate, each byte arriving a one-way delay after it left, whether
// the wire was idle or busy. The terminal answers each DA1 request (ESC [ c)
// once it has read it, in order, after a time of its own (a terminal that
// answers after its next frame), and the answer travels the delay back.
// While the link is down nothing crosses either way: what was queued or on
// the wire then crosses again, in order, from the restore, as TCP resends
// it; nothing is lost for good.
//
// No clock and no thread of its own: the caller passes the time
// (microseconds) with every call, so the model runs on a made-up clock in
// its test and on the real one in the benchmark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

struct LinkShape {
  double bytesPerSecond = 0;  // on the wire; 0: no limit
  int64_t delayMicros = 0;    // each way
  int64_t downFrom = 0;       // nothing crosses in [downFrom, downUntil)
  int64_t downUntil = 0;
  // The terminal answers a request this long after it read it, drawn
  // evenly between the two for each request.
  int64_t answerMinMicros = 0;
  int64_t answerMaxMicros = 0;
};

// One piece of the stream: the bytes before `end` (counted from the first
// byte sent) were taken at `sentAt` and have all reached the far end at
// `arrivedAt`. Both times grow along the stream.
struct LinkPiece {
  uint64_t end = 0;
  int64_t sentAt = 0;
  int64_t arrivedAt = 0;
  int requests = 0;  // DA1 requests that end in this piece
};

struct FarLink {
  LinkShape shape;
  uint32_t random = 2463534242u;
  std::vector<LinkPiece> pieces;  // everything sent, kept for the figures
  size_t read = 0;                // pieces the terminal has read
  std::deque<int64_t> answers;    // when each answer on its way reaches the game
  double wireFreeAt = 0;          // when the wire has sent everything queued
  int64_t lastAnswerAt = 0;       // when the terminal sent its latest answer
  uint64_t sent = 0;
  int scan = 0;  // how much of ESC [ c the stream's end holds
};

// The game's bytes, taken by the link at `now`.
void farLinkSend(FarLink& link, int64_t now, const char* bytes, size_t length);

// The terminal reads what has reached it by `now` and answers it; returns
// how many answers reach the game by `now` (each counted once).
int farLinkAnswers(FarLink& link, int64_t now);

// The earliest time at which farLinkAnswers has something new to do, or
// INT64_MAX when nothing is on its way.
int64_t farLinkNextEvent(const FarLink& link);

// When the byte before stream offset `end` reaches the far end: 0 when it
// has not been sent. `pieces` in stream order (a near terminal's reads
// fit the same form).
int64_t linkArrivalOf(const std::vector<LinkPiece>& pieces, uint64_t end);

// Bytes sent by `at` that have not reached the far end by then.
uint64_t linkQueuedAt(const std::vector<LinkPiece>& pieces, int64_t at);
