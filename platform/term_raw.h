// The keyboard read raw: every byte reaches the input layer as typed.
//
// Without this the terminal driver would act on some keys itself: the key
// Ctrl-\ would kill the game with SIGQUIT and Ctrl-S stop all output (the game
// would freeze inside a refresh, and even the restore on exit would wait
// for Ctrl-Q). Ctrl-C, Ctrl-\ and Ctrl-Z become bytes the game maps to
// quit and suspend requests.
#pragma once

// After curses' raw(): no signal characters, no flow control, no
// stripping of the eighth bit. Records the modes as curses' program modes,
// so they come back after a suspend. False when the terminal refused.
bool termRawKeys(int fd);

// True when the modes on `fd` are raw in the sense above.
bool termIsRaw(int fd);
