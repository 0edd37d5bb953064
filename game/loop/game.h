// The program: start-up, the frame loop and shut-down.
#pragma once

// Returns the exit status: 0 after Q, 1 when there is no usable terminal,
// 3 when the terminal went away without a hangup signal. SIGINT, SIGTERM or
// SIGHUP, or Ctrl-C or Ctrl-\ read as a key, end the program by that signal
// instead (Ctrl-\ by SIGQUIT), as the shell expects of an interrupted job.
int runGame();
