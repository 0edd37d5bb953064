// The X11 backend: keys from the server's key map, the pointer read and
// warped back to an anchor at the centre of the terminal window, so motion
// never stops at the window edge. Counts nothing while the terminal window
// does not have the input focus. Built only where X11 headers exist; the
// stand-ins in input_x11_none.cpp report it unavailable elsewhere.
#pragma once

#include <cstdint>

#include "platform/input.h"

// windowId: the terminal's window (WINDOWID), or 0 to skip the focus test
// and anchor at (100, 100). False when no display can be opened.
bool x11Open(unsigned long windowId);

// Fills the keys and the pointer motion of `state` as of now.
void x11Read(InputState& state, int64_t now);

// Moves the pointer to the anchor and forgets motion made so far.
void x11Pin();

// After a suspend: re-reads the key codes and re-anchors on the next read.
void x11Resume();

void x11Close();
