// The X11 backend: keys from the keyboard's raw XInput2 events, which
// arrive on the connection and are read when present; the pointer held at
// an anchor at the centre of the terminal window (input_x11_pointer.h), so
// motion never stops at the window edge. No read waits for the X server.
// Counts nothing while the terminal window does not have the input focus.
// Built only where the X11, XInput2 and XCB headers exist; the stand-ins in
// input_x11_none.cpp report it unavailable elsewhere.
#pragma once

#include <cstdint>

#include "platform/input/input_state.h"

// windowId: the terminal's window (WINDOWID), or 0 to skip the focus test
// and anchor at (100, 100). False when no display can be opened, the
// server has no XInput 2.1, or the window is another program's
// (input_x11_pointer.h).
bool x11Open(unsigned long windowId);

// Fills the keys and the pointer motion of `state` as of now: a key reads
// down while held, and once for a tap made since the last read; the arrow
// keys' turning (input_keys.h, exact: the raw events have releases).
void x11Read(InputState& state, int64_t now);

// Moves the pointer to the anchor and forgets motion made so far.
void x11Pin();

// After a suspend: re-reads the key codes, forgets taps, and re-anchors on
// the next read.
void x11Resume();

void x11Close();
