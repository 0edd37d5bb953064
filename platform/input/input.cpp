#include "platform/input/input.h"

#include "platform/input/input_clock.h"
#include "platform/input/input_select.h"
#include "platform/input/term/term_input.h"
#include "platform/input/x11/input_x11.h"
#include "platform/terminal/answers.h"
#include "platform/terminal/term_modes.h"

namespace {

enum class Backend { none, terminal, x11 };

// Waiting for the terminal's answers at a handover. A terminal known to
// answer is waited for until its link has been silent this long: an answer
// that comes after the game has left is typed into the shell, and a link
// that dropped everything for a while delivers once TCP retries (its
// retries back off to several seconds apart). A terminal that stopped
// reading looks the same, and must not hold the exit much longer. One
// never heard answering (X11 input, no probe) is given a short while only.
constexpr int kSilentLinkMillis = 8000;
constexpr int kUnheardMillis = 900;

Backend backend = Backend::none;
bool lost = false;
// In X11 mode it still drains the typed characters and notices a hangup.
TermInput term;

}  // namespace

void inputOpen(int inFd, int outFd) {
  lost = false;
  InputEnvironment env = inputEnvironment();
  if (inputChoose(env) == InputChoice::x11 && x11Open(inputWindowId(env.windowId))) {
    termStart(term, inFd, outFd, false);
    backend = Backend::x11;
    return;
  }
  termStart(term, inFd, outFd, true);
  termProbe(term);
  termEnable(term);
  backend = Backend::terminal;
}

bool inputWaitKey() {
  if (backend == Backend::none) return false;
  return termWaitKey(term);
}

void inputPoll(InputState& state) {
  state = InputState{};
  if (backend == Backend::none) return;
  int64_t now = inputClockMicros();
  termDrain(term, now);
  bool typed[keyCount];
  for (int k = 0; k < keyCount; k++) typed[k] = term.keys.keys[k].latched;
  termEvaluate(term, now, state);
  if (backend == Backend::x11) {
    // The raw key events are exact for holds; a byte the terminal typed
    // counts as a press as well, should the events have missed one.
    x11Read(state, now);
    state.w = state.w || typed[keyW];
    state.space = state.space || typed[keySpace];
    state.q = state.q || typed[keyQ];
  }
  if (state.hangup) lost = true;
}

bool inputLost() { return lost || term.hangup; }

void inputPin() {
  if (backend == Backend::x11) x11Pin();
  pointerReset(term.pointer);
}

void inputPause() {
  termDisable(term);
  termForget(term);
}

void inputResume() {
  if (backend == Backend::none) return;
  parserReset(term.parser);
  termForget(term);
  if (backend == Backend::x11) x11Resume();
  else termEnable(term);
}

void inputClose() {
  termDisable(term);
  if (backend == Backend::x11) x11Close();
  backend = Backend::none;
}

void inputAwaitAnswer() {
  termAwaitAnswer(term, terminalAnswers.answering ? kSilentLinkMillis : kUnheardMillis);
}

const char* inputRestoreBytes(size_t* length) {
  *length = static_cast<size_t>(termRestoreLength);
  return termRestoreBuffer;
}

const char* inputBackendName() {
  if (backend == Backend::none) return "none";
  if (backend == Backend::x11) return "x11";
  if (term.kitty)
    return term.pixels ? "terminal (kitty keys, pixel pointer)" : "terminal (kitty keys, cell pointer)";
  return term.pixels ? "terminal (timed keys, pixel pointer)" : "terminal (timed keys, cell pointer)";
}
