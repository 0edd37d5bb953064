// The terminal's answers to the game's requests, and whose each one is.
//
// The only request whose answer the game counts is DA1 (primary device
// attributes): every terminal answers it, in the order it reads requests,
// and the answer (CSI ? ... c) cannot be told from another. So requests are
// kept in the order they went out and each answer belongs to the oldest
// still waiting: the start-up probe's first, then the pictures' (the
// oldest given up on before those still timed), then the handover's.
//
// Nothing here touches a descriptor or a clock: the callers pass the time.
#pragma once

#include <cstddef>
#include <cstdint>

// Device attributes, primary ("what are you?"); spelt as a macro too, so
// that the start-up probe's burst ends with the same bytes (term_modes).
#define SERIFALL_ANSWER_REQUEST "\x1b[c"
constexpr char kAnswerRequest[] = SERIFALL_ANSWER_REQUEST;
constexpr size_t kAnswerRequestLength = sizeof kAnswerRequest - 1;

// Requests of pictures remembered at once, timed or given up on; older
// ones are forgotten (their answers, should they ever come, are strays).
constexpr int kMostAsked = 32;
// A request given up on is still awaited this long: a link that drops
// everything for half a minute still delivers its answers afterwards.
constexpr int64_t kOwedLifetimeMicros = 60000000;

// A picture whose request is out.
struct AskedPicture {
  int64_t at = 0;           // when the request went out, right behind the picture
  uint64_t bytes = 0;       // the picture's, request included
  bool owed = false;        // given up on: its answer is awaited, its trip not used
  uint64_t ahead = 0;       // bytes of the timed pictures on their way when it went
  uint64_t delivered = 0;   // bytes answered before it went (for the rate)
  int64_t deliveredAt = 0;  // when the latest of those was answered
};

enum class AnswerOwner : uint8_t {
  stray,      // nothing was waiting for it (typed, pasted, or long forgotten)
  probe,      // the start-up probe's: the terminal answers
  lateProbe,  // the probe's, after its deadline: the terminal answers after all
  picture,    // a picture's whose trip counts
  owed,       // a picture's given up on: the link delivers again
  handover,   // the handover's: every answer before it is in
};

struct TerminalAnswers {
  bool probing = false;            // the probe's request is out, its answer not in
  bool probeLate = false;          // the probe ended without it; it may still come
  bool answering = false;          // the terminal answers: pictures may carry requests
  bool answeredPicture = false;    // it has answered a picture's request
  AskedPicture asked[kMostAsked];  // oldest first
  int count = 0;
  bool handingOver = false;  // the handover's request is out
  bool handedOver = false;   // and answered
};

// Program-wide: the input side hands answers in, the output side asks.
extern TerminalAnswers terminalAnswers;

// A mode report's (DECRPM) Ps for a mode the terminal can have on: set (1),
// reset (2) or permanently set (3); 0 is unknown, 4 permanently reset.
bool answerModeUsable(int32_t ps);

void answersProbeSent(TerminalAnswers& answers);
// The probe is over, `answered` or not (a late answer is then taken up).
void answersProbeEnded(TerminalAnswers& answers, bool answered);

// A picture of `bytes` went out with its request at `now`.
void answersPictureAsked(TerminalAnswers& answers, int64_t now, uint64_t bytes, uint64_t delivered,
                         int64_t deliveredAt);

// Pictures whose requests are out and still timed.
int answersInFlight(const TerminalAnswers& answers);
uint64_t answersInFlightBytes(const TerminalAnswers& answers);
// The oldest timed one, or null.
const AskedPicture* answersOldestInFlight(const TerminalAnswers& answers);

// Answers still to come for pictures, timed or given up on.
int answersOwed(const TerminalAnswers& answers);

// The timed ones are given up on: still awaited, no longer timed.
void answersGiveUp(TerminalAnswers& answers);

// Forgets requests given up on longer ago than their lifetime.
void answersExpire(TerminalAnswers& answers, int64_t now);

// The handover's request went out.
void answersHandOverAsked(TerminalAnswers& answers);
// Whether the handover still waits: for its own answer, and with it every
// earlier one.
bool answersHandOverWaits(const TerminalAnswers& answers);
void answersHandOverEnded(TerminalAnswers& answers);

// After a suspend: whatever was not answered by the end of the handover's
// wait went to the shell, or will never come.
void answersForgetPictures(TerminalAnswers& answers);

// Decides whose a DA1 answer is; a picture's record is copied to `picture`.
AnswerOwner answerArrived(TerminalAnswers& answers, AskedPicture* picture);
