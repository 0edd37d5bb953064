#include "platform/input/term/term_input.h"

#include <poll.h>

#include <sys/ioctl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "platform/input/input_clock.h"
#include "platform/output/output.h"
#include "platform/terminal/answers.h"
#include "platform/terminal/signals.h"
#include "platform/terminal/term_modes.h"

namespace {

constexpr size_t kReadChunk = 1024;
// A flood of input must not hold a frame up for ever.
constexpr int kMaxReadsPerDrain = 16;
constexpr int32_t kPixelMode = 1016;
// Report event types and all keys as escape codes (disambiguation, 1, only
// keeps Ctrl-C a key).
constexpr int32_t kKittyFlagsNeeded = 2 | 8;
constexpr int32_t kSyncMode = 2026;

void readWindowSize(TermInput& term) {
  term.sizeRead = true;
  winsize ws{};
  if (ioctl(term.outFd, TIOCGWINSZ, &ws) != 0 && ioctl(term.inFd, TIOCGWINSZ, &ws) != 0) return;
  if (ws.ws_col == 0 || ws.ws_row == 0) return;
  term.pointer.window = WindowSize{ws.ws_col, ws.ws_row, ws.ws_xpixel, ws.ws_ypixel};
}

// Probe answers that come after the probe's deadline: the terminal gets
// the modes it would have had, as soon as it tells what it can do.
void lateReply(TermInput& term, const InputEvent& event) {
  if (event.kind == InputEventKind::kittyFlags && !term.kitty) {
    term.kitty = true;
    if (term.modesOn) {
      termKittyPush(term.outFd);
      term.pushed = true;
    }
  } else if (event.kind == InputEventKind::modeReport && event.a == kPixelMode && !term.pixels) {
    term.pixels = answerModeUsable(event.b);
    if (term.pixels && term.modesOn && term.mouse) termPixelsOn(term.outFd);
    term.pointer.pixels = term.pixels;
    pointerReset(term.pointer);  // the units changed
  } else if (event.kind == InputEventKind::modeReport && event.a == kSyncMode) {
    outputSynchronized = answerModeUsable(event.b);
  }
}

void answerReply(TermInput& term, int64_t now) {
  AskedPicture picture;
  AnswerOwner owner = answerArrived(terminalAnswers, &picture);
  if (owner == AnswerOwner::probe) term.probeDone = true;
  if (owner == AnswerOwner::picture || owner == AnswerOwner::owed) outputPictureAnswered(now, picture);
}

void probeReply(TermInput& term, const InputEvent& event, int64_t now) {
  if (event.kind == InputEventKind::deviceAttributes) return answerReply(term, now);
  if (event.kind == InputEventKind::kittyFlags && term.pushed && !term.probing) {
    bool was = term.kittyKeys;
    term.kittyKeys = (event.a & kKittyFlagsNeeded) == kKittyFlagsNeeded;
    // Releases are no longer read: a key held now would stay down for good.
    if (was && !term.kittyKeys) keysRelease(term.keys);
    return;
  }
  if (terminalAnswers.probeLate) return lateReply(term, event);
  if (!term.probing) return;  // not asked for: consumed and ignored
  if (event.kind == InputEventKind::kittyFlags) term.kitty = true;
  if (event.kind == InputEventKind::modeReport && event.a == kPixelMode)
    term.pixels = answerModeUsable(event.b);
  if (event.kind == InputEventKind::modeReport && event.a == kSyncMode)
    outputSynchronized = answerModeUsable(event.b);
}

void handleEvent(TermInput& term, const InputEvent& event, int64_t now) {
  switch (event.kind) {
    case InputEventKind::key: keysByte(term.keys, static_cast<uint8_t>(event.a), now); break;
    case InputEventKind::kittyKey:
      if (term.kittyKeys) keysKitty(term.keys, event.a, event.b, event.c);
      break;
    case InputEventKind::mouse:
      if (!term.mouse) break;
      if (!term.sizeRead && pointerIsMotion(event)) readWindowSize(term);
      pointerReport(term.pointer, event, now);
      break;
    case InputEventKind::focusOut:
      keysRelease(term.keys);
      pointerDropBaseline(term.pointer);
      break;
    case InputEventKind::focusIn: pointerDropBaseline(term.pointer); break;
    default: probeReply(term, event, now); break;
  }
}

// Reads once from a descriptor that poll called ready; false when there is
// nothing more to read now.
bool readChunk(TermInput& term, int64_t now) {
  uint8_t buffer[kReadChunk];
  ssize_t n = read(term.inFd, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return false;
  if (n <= 0) {  // end of file, EIO after the terminal closed, or worse
    term.hangup = true;
    return false;
  }
  termFeed(term, buffer, static_cast<size_t>(n), now);
  return static_cast<size_t>(n) == sizeof buffer;
}

// Handles one poll result; false when there is nothing more to read now.
bool readReady(TermInput& term, short revents, int64_t now) {
  if ((revents & POLLIN) != 0) return readChunk(term, now);
  if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) term.hangup = true;
  return false;
}

int waitMillis(const TermInput& term, int64_t now) {
  if (term.probing) {
    int64_t left = term.probeDeadline - now;
    return left <= 0 ? 0 : static_cast<int>(left / 1000 + 1);
  }
  if (parserWaitingForEscape(term.parser)) return static_cast<int>(kEscapeWaitMicros / 1000 + 1);
  if (parserPending(term.parser)) return static_cast<int>(kSequenceStaleMicros / 1000 + 1);
  return -1;
}

bool flagged(bool withSuspend) { return quitSignal != 0 || (withSuspend && suspendSignal != 0); }

// One blocking wait for input; resize and continue signals wait until it is
// over. Returns false when a flag is up or another signal interrupted it.
// The flagging signals are blocked from the look at the flags until ppoll
// unblocks them, so one that comes just before the wait still ends it.
bool waitOnce(TermInput& term, bool withSuspend) {
  if (term.inFd < 0) {
    term.hangup = true;  // nothing to wait on
    return true;
  }
  sigset_t flagging, mask;
  sigemptyset(&flagging);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGTSTP}) sigaddset(&flagging, sig);
  pthread_sigmask(SIG_BLOCK, &flagging, &mask);
  if (flagged(withSuspend)) {
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    return false;
  }
  sigset_t during = mask;
  sigaddset(&during, SIGWINCH);
  sigaddset(&during, SIGCONT);
  int millis = waitMillis(term, inputClockMicros());
  timespec timeout{millis / 1000, static_cast<long>(millis % 1000) * 1000000};
  pollfd fd{term.inFd, POLLIN, 0};
  int ready = ppoll(&fd, 1, millis < 0 ? nullptr : &timeout, &during);
  int saved = errno;
  pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  errno = saved;
  int64_t now = inputClockMicros();
  if (ready < 0) {
    if (errno == EINTR) return false;
    term.hangup = true;  // the descriptor is unusable: never spin on it
    return true;
  }
  if (ready == 0) termFeed(term, nullptr, 0, now);  // settles a lone ESC
  else if (readReady(term, fd.revents, now)) termDrain(term, now);
  return true;
}

}  // namespace

void termStart(TermInput& term, int inFd, int outFd, bool mouse) {
  term = TermInput{};
  terminalAnswers = TerminalAnswers{};
  term.inFd = inFd;
  term.outFd = outFd;
  term.mouse = mouse;
}

void termFeed(TermInput& term, const uint8_t* bytes, size_t length, int64_t now) {
  InputEvent event;
  pointerAdvance(term.pointer, now);
  term.sizeRead = false;
  if (parserExpire(term.parser, now, event)) handleEvent(term, event, now);
  for (size_t i = 0; i < length; i++)
    if (parserByte(term.parser, bytes[i], now, event)) handleEvent(term, event, now);
}

void termEvaluate(TermInput& term, int64_t now, InputState& state) {
  termFeed(term, nullptr, 0, now);
  state.w = keyDown(term.keys, keyW, now);
  state.space = keyDown(term.keys, keySpace, now);
  state.q = keyDown(term.keys, keyQ, now);
  keysPolled(term.keys);
  state.signalKey = term.keys.signalKey;
  state.suspend = term.keys.suspend;
  state.hangup = term.hangup;
  term.keys.signalKey = 0;
  term.keys.suspend = false;
  term.keys.anyKey = false;  // the intro waits for keys typed after the probe, not during play
  pointerTake(term.pointer, state.dx, state.dy);
}

void termDrain(TermInput& term, int64_t now) {
  if (term.hangup || term.inFd < 0) return;
  for (int i = 0; i < kMaxReadsPerDrain; i++) {
    pollfd fd{term.inFd, POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0) return;
    if (!readReady(term, fd.revents, now)) return;
  }
}

void termProbeBegin(TermInput& term, int64_t now) {
  term.probing = true;
  term.probeDone = false;
  term.probeDeadline = now + kProbeDeadlineMicros;
  answersProbeSent(terminalAnswers);
  termWrite(term.outFd, kProbeBurst, std::strlen(kProbeBurst));
}

bool termProbeOver(const TermInput& term, int64_t now) {
  return term.probeDone || term.hangup || now >= term.probeDeadline;
}

void termProbeEnd(TermInput& term) {
  term.probing = false;
  answersProbeEnded(terminalAnswers, term.probeDone || term.hangup);
  term.pointer.pixels = term.pixels;
}

void termProbe(TermInput& term) {
  termProbeBegin(term, inputClockMicros());
  // A suspend request waits for the intro; a quit request ends the probe.
  while (!termProbeOver(term, inputClockMicros())) {
    if (!waitOnce(term, false) && quitSignal) break;
  }
  termProbeEnd(term);
}

void termEnable(TermInput& term) {
  if (term.modesOn) return;
  termModesOn(term.outFd, term.pixels, term.kitty);
  term.modesOn = true;
  term.pushed = term.kitty;
  term.kittyKeys = false;  // until the terminal confirms the push
}

void termDisable(TermInput& term) {
  if (!term.modesOn) return;
  termModesOff(term.outFd, term.pushed);
  term.modesOn = false;
  term.pushed = false;
  term.kittyKeys = false;
}

int64_t termHandOverLeft(const TermInput& term, int64_t heard, int64_t now, int64_t silentMicros) {
  if (!answersHandOverWaits(terminalAnswers) || term.hangup || quitSignal == SIGHUP) return 0;
  return std::max<int64_t>(heard + silentMicros - now, 0);
}

void termAwaitAnswer(TermInput& term, int silentMillis) {
  // A terminal that never answered the probe would only make it wait.
  if (term.inFd < 0 || term.hangup || terminalAnswers.probeLate) return;
  answersHandOverAsked(terminalAnswers);
  termWrite(term.outFd, kAnswerRequest, kAnswerRequestLength);
  int64_t heard = inputClockMicros();
  for (int64_t left; (left = termHandOverLeft(term, heard, inputClockMicros(), silentMillis * 1000ll)) > 0;) {
    pollfd fd{term.inFd, POLLIN, 0};
    int ready = poll(&fd, 1, static_cast<int>((left + 999) / 1000));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    heard = inputClockMicros();
    termDrain(term, heard);
  }
  answersHandOverEnded(terminalAnswers);
}

bool termWaitKey(TermInput& term) {
  while (!term.keys.anyKey) {
    if (term.hangup) return false;
    if (!waitOnce(term, true)) return false;
  }
  term.keys.anyKey = false;
  termForget(term);
  return true;
}

void termForget(TermInput& term) {
  keysRelease(term.keys);
  pointerReset(term.pointer);
}
