// A terminal for the benchmark: real ncurses output into a pipe that the
// benchmark drains after every frame, counting what a terminal would get.
#pragma once

#include <cstdint>
#include <cstdio>

#include <curses.h>

struct CountedTerminal {
  SCREEN* screen = nullptr;
  FILE* out = nullptr;
  FILE* in = nullptr;
  int readFd = -1;
  uint64_t bytes = 0;
};

// Opens rows x cols; with toNull the output goes to /dev/null uncounted
// (for callgrind and strace runs, where draining would add its own cost).
bool openCountedTerminal(CountedTerminal& t, int rows, int cols, bool toNull);
// Reads what the last frame wrote; returns that many bytes.
uint64_t drainTerminal(CountedTerminal& t);
void closeCountedTerminal(CountedTerminal& t);
