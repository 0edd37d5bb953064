// Keyboard and pointer for the frame loop: the only code that reads input.
//
// Each frame the loop asks for the held state of W, space and Q at that
// moment and for the pointer motion since the previous poll, in units of one
// view cell. Which backend answers is chosen once at start-up:
//
//   terminal  always available (SSH, tmux, screen): any-motion mouse
//             reports, exact key releases where the terminal speaks the
//             kitty keyboard protocol, timed holds from presses otherwise;
//   x11       when the game runs in a focused X11 terminal window: raw key
//             events read as they arrive, and a pointer that is warped
//             back to an anchor, with no wait on the X server per frame.
//
// SERIFALL_INPUT=auto|terminal|x11 overrides the choice (x11 falls back to
// the terminal when no display opens; any other value means auto).
//
// Mouse look, as the player sees it:
//   Pointer motion of one cell (one pixel where the terminal reports pixels)
//   turns the view one cell. Resting the pointer on the window's edge (its
//   outermost column or row) keeps turning the view that way at 40 cells/s,
//   since a terminal cannot bring the pointer back. Under X11 the pointer is
//   held at the centre of the terminal window while it has the focus, so
//   every pixel of motion counts and the edge never matters.
//
// Keys where the terminal reports no releases: a tap reads down for 60 ms
// (one shot); a held key reads down once, then, after the keyboard's
// autorepeat delay, continuously until about 150 ms after its last repeat.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/input/input_state.h"

// Probes the terminal on inFd/outFd and enables the chosen backend's modes.
// Call after curses has taken the terminal over and drawn once. Never blocks
// longer than the probe deadline (1 s), and ends at once when a quit signal
// arrives; keys typed meanwhile are kept.
void inputOpen(int inFd, int outFd);

// Waits until any key is pressed and forgets it, so the key does not reach
// the first frame (a Ctrl-C or Ctrl-Z that arrived as a key stays pending
// for the first poll). Returns false on hangup, when a quit or suspend flag
// is up (also one raised just before the call), or when a signal interrupts
// the wait, so the caller can look at its flags and wait again; SIGWINCH
// and SIGCONT are held back until the wait is over.
bool inputWaitKey();

// Drains everything that has arrived and evaluates the state now. Never
// blocks; allocates nothing.
void inputPoll(InputState& state);

// The terminal went away (end of file, EIO, or the X display's connection).
bool inputLost();

// Moves the pointer to its anchor and forgets motion made so far.
void inputPin();

// Turn the modes off before the terminal is handed back (Ctrl-Z, exit) and
// on again on resume; resuming also releases every key.
void inputPause();
void inputResume();
void inputClose();

// At a handover, after the restore went out: reads up to the terminal's
// answer to a request of its own, behind every answer still owed to
// pictures, so no answer and no key report reaches the shell, and the
// terminal has read the restore before the shell's modes make Ctrl-C or
// Ctrl-Z able to discard output again. Over a stalled link the player sees
// nothing meanwhile; the wait ends once the link has been silent for 8 s
// (0.9 s for a terminal never heard answering), and at once on a hangup.
void inputAwaitAnswer();

// Bytes that turn off every mode the input layer enabled (empty while none
// is on). Safe to read from a signal handler: the buffer is static and only
// its length changes, outside handlers.
const char* inputRestoreBytes(size_t* length);

// "terminal (kitty keys, pixel pointer)", "terminal (timed keys, cell
// pointer)", "x11", or "none" before inputOpen.
const char* inputBackendName();
