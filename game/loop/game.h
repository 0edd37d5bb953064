// The program: start-up, the frame loop and shut-down.
#pragma once

// Returns the exit status: 0 after Q, 1 when there is no usable terminal,
// 3 when the terminal went away without a hangup signal. A quit signal, or
// Ctrl-C or Ctrl-\ read as a key, ends the program by that signal instead.
int runGame();
