#include "platform/input/input.h"

#include <algorithm>

#include "platform/input/input_clock.h"
#include "platform/input/input_select.h"
#include "platform/input/term/term_input.h"
#include "platform/input/x11/input_x11.h"
#include "platform/output/output.h"
#include "platform/terminal/term_modes.h"

namespace {

enum class Backend { none, terminal, x11 };

// Waiting for the terminal's answer at a handover: a round trip or two,
// but never so long that a terminal that stopped answering holds the exit.
constexpr int kAnswerSlackMillis = 100;
constexpr int kShortestAwaitMillis = 200;
constexpr int kLongestAwaitMillis = 900;

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
  termAwaitAnswer(term, std::clamp(2 * outputRoundTripMillis() + kAnswerSlackMillis, kShortestAwaitMillis,
                                   kLongestAwaitMillis));
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
