// The terminal backend: everything arrives as bytes on the input
// descriptor. Works everywhere a terminal does (SSH, tmux, screen).
//
// Split so that tests drive it without a terminal: termFeed takes bytes and
// their time, termEvaluate gives the state at a time; only termDrain,
// termProbe and termWaitKey touch the descriptor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/input/input_keys.h"
#include "platform/input/input_parser.h"
#include "platform/input/input_pointer.h"
#include "platform/input/input_state.h"

constexpr int64_t kProbeDeadlineMicros = 1000000;

struct TermInput {
  int inFd = -1;
  int outFd = -1;
  InputParser parser;
  KeyTracker keys;
  PointerTracker pointer;
  bool mouse = true;  // pointer reports wanted (not while X11 reads the pointer)
  bool probing = false;
  // The DA1 reply came. Without it the probe's answers may still come (a
  // terminal starting on a busy machine), and are taken up when they do
  // (answers.h keeps the probe's request).
  bool probeDone = false;
  int64_t probeDeadline = 0;
  bool kitty = false;   // the terminal answered the kitty flags query
  bool pixels = false;  // the terminal can report the pointer in pixels
  bool modesOn = false;
  bool pushed = false;  // kitty flags pushed: a pop is owed
  // The terminal confirmed the pushed flags (its reply to the query that
  // follows the push). Kitty key reports count only from then on: one
  // pasted CSI 32 u must not mean fire until a release that never comes.
  bool kittyKeys = false;
  bool hangup = false;
  bool sizeRead = false;  // window size already read for this batch
};

// Forgets everything and takes the descriptors (modes are not touched).
void termStart(TermInput& term, int inFd, int outFd, bool mouse);

// Bytes that arrived at `now`.
void termFeed(TermInput& term, const uint8_t* bytes, size_t length, int64_t now);

// Fills `state` as of `now`; quit and suspend requests are handed out once.
void termEvaluate(TermInput& term, int64_t now, InputState& state);

// Reads whatever is waiting on the input descriptor, without blocking.
void termDrain(TermInput& term, int64_t now);

// Probe in two halves so that tests can feed the replies: termProbeBegin
// writes the burst; the probe ends at the DA1 reply or the deadline.
void termProbeBegin(TermInput& term, int64_t now);
bool termProbeOver(const TermInput& term, int64_t now);
void termProbeEnd(TermInput& term);

// Writes the burst and reads replies until DA1 or the deadline, or until a
// quit signal arrives (its flag is set; the caller looks at it).
void termProbe(TermInput& term);

void termEnable(TermInput& term);
void termDisable(TermInput& term);

// At a handover: asks the terminal for DA1 and reads up to its answer, which
// comes behind every answer still owed to pictures (answers.h). Then no
// answer and no key report it sent before is left for the shell, and it has
// read all that was written before the request. Ends early when nothing has
// come for `silentMillis`, on a hangup (a SIGHUP too), and at once when the
// terminal never answered the probe.
void termAwaitAnswer(TermInput& term, int silentMillis);

// How much longer the handover waits when the terminal was last heard at
// `heard`: 0 once its answer is in, on a hangup, or after `silentMicros`
// of silence.
int64_t termHandOverLeft(const TermInput& term, int64_t heard, int64_t now, int64_t silentMicros);

// Blocks until a key arrives; false on hangup, when a quit or suspend flag
// is set, or when a signal (other than SIGWINCH or SIGCONT, which wait)
// interrupts. A flag set just before the wait is seen too: the flagging
// signals stay blocked between the look and the wait. Forgets the key.
bool termWaitKey(TermInput& term);

// Releases keys and clears the pointer baseline (resume, pin).
void termForget(TermInput& term);
