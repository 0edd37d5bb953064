// The escape sequences the terminal backend writes, and the bytes that undo
// them from a fatal-signal handler. Everything goes out with write(2),
// never through stdio, so it cannot mix with curses' buffered output.
#pragma once

#include <csignal>
#include <cstddef>

// Kitty keyboard flags query, DECRQM for SGR-pixel mouse (1016) and
// synchronized output (2026), then the answer request (answers.h): every
// terminal answers that one, which ends the probe.
extern const char kProbeBurst[];

// What is turned off right now if a handler writes it: modes off, then the
// kitty flags popped if they were pushed. Length 0 while nothing is on.
extern const char termRestoreBuffer[];
extern volatile sig_atomic_t termRestoreLength;

// Writes all of it, retrying short writes, for at most 200 ms; errors are
// ignored (a terminal that went away is noticed on the reading side).
void termWrite(int fd, const char* bytes, size_t length);

// Any-motion SGR mouse reports (in pixels when `pixels`), focus reports,
// and kitty flags 1|2|8 pushed (and queried again) when `pushKitty`.
void termModesOn(int fd, bool pixels, bool pushKitty);

// Turns all of the above off; pops the kitty flags only when `pop`.
void termModesOff(int fd, bool pop);

// For a terminal whose probe answers came after the game had begun: the
// kitty flags pushed (and queried), or the pointer switched to pixels.
void termKittyPush(int fd);
void termPixelsOn(int fd);
