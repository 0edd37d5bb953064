// Keyboard and pointer for the frame loop: the only code that reads input.
//
// Each frame the loop asks for the held state of W, space and Q at that
// moment and for the pointer motion since the previous poll, in units of one
// view cell. Which backend answers is chosen once at start-up:
//
//   terminal  always available (SSH, tmux, screen): any-motion mouse
//             reports, exact key releases where the terminal speaks the
//             kitty keyboard protocol, timed holds from presses otherwise;
//   x11       when the game runs in a focused X11 terminal window: the key
//             map and a pointer that is warped back to an anchor.
//
// SERIFALL_INPUT=auto|terminal|x11 overrides the choice.
#pragma once

#include <cstddef>
#include <cstdint>

struct InputState {
  bool w = false;      // held at the moment of polling
  bool space = false;
  bool q = false;
  bool quit = false;     // Ctrl-C that arrived as a key event
  bool suspend = false;  // Ctrl-Z that arrived as a key event
  bool hangup = false;   // the terminal went away (end of file, EIO)
  int32_t dx = 0;        // pointer motion since the last poll, view cells
  int32_t dy = 0;
};

// Probes the terminal on inFd/outFd and enables the chosen backend's modes.
// Call after curses has taken the terminal over and drawn once. Never blocks
// longer than the probe deadline.
void inputOpen(int inFd, int outFd);

// Waits until any key is pressed (or the terminal goes away) and forgets it,
// so the key does not reach the first frame. Returns false on hangup.
bool inputWaitKey();

// Drains everything that has arrived and evaluates the state now.
void inputPoll(InputState& state);

// Moves the pointer to its anchor and forgets motion made so far.
void inputPin();

// Turn the modes off before the terminal is handed back (Ctrl-Z, exit) and
// on again on resume; resuming also releases every key.
void inputPause();
void inputResume();
void inputClose();

// Bytes that turn off every mode the input layer enabled. Safe to read from
// a signal handler: the buffer is static and rewritten only outside handlers.
const char* inputRestoreBytes(size_t* length);

// "terminal", "terminal+kitty", "x11", ... for the log and the man page.
const char* inputBackendName();
