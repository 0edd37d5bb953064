// The terminal's modes: the one place that saves the shell's, sets the
// game's and puts the shell's back. Exit, Ctrl-Z and the crash handler all
// restore through here, so no way out can forget a mode another path sets.
//
// The game's modes read the keyboard raw: every byte reaches the input layer
// as typed. Otherwise the terminal driver would act on some keys itself:
// Ctrl-\ would kill the game with SIGQUIT and Ctrl-S stop all output (the
// game would freeze inside a write, and even the restore on exit would wait
// for Ctrl-Q). Ctrl-C, Ctrl-\ and Ctrl-Z become bytes the game maps to quit
// and suspend requests.
#pragma once

// Saves the modes of the terminal on `fd` as the shell's. A second call for
// the same terminal keeps the first save (the shell's modes are the ones
// before the game changed anything). False when `fd` is no terminal.
bool termSaveModes(int fd);

// The game's modes on the saved terminal: no signal characters, no flow
// control, 8-bit clean, no echo, no newline translation either way (curses'
// cursor motion relies on that). False when the terminal refused them.
bool termPlayModes();

// The shell's modes back, at once: waiting for output to drain first would
// hang on a terminal that stopped reading. Async-signal-safe.
void termShellModes();

// Forgets the saved modes (the terminal is closed).
void termForgetModes();

// True when the modes on `fd` are the game's raw modes.
bool termIsRaw(int fd);
