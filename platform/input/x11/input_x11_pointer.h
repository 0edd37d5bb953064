// The X11 backend's pointer and focus: the pointer is held at an anchor at
// the centre of the terminal window by warping it back, and whether that
// window has the input focus is asked every 20 ms. Questions go out on a
// connection of their own and their answers are taken when they have
// arrived, so a frame never waits for the X server to be scheduled.
#pragma once

#include <cstdint>

#include "platform/input/input_state.h"

// windowId: the terminal's window, or 0 to skip the focus test and anchor
// at (100, 100). False when no display can be opened, or when the window's
// _NET_WM_PID names a process that is not this one or an ancestor of it (a
// WINDOWID inherited from another terminal).
bool x11PointerOpen(unsigned long windowId);

// The latest answer about the focus (asks again when it is 20 ms old).
bool x11Focused(int64_t now);

// Adds the motion the latest pointer answer shows to `state` and asks
// again; while `focused` is false, forgets the anchor so the jump back on
// focus regained is not taken for motion.
void x11PointerRead(InputState& state, bool focused);

// Moves the pointer to the anchor and forgets motion made so far.
void x11PointerPin();

// Re-anchors on the next read and asks about the focus again at once.
void x11PointerForget();

// The server closed this connection.
bool x11PointerLost();

void x11PointerClose();
