#include "sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "game/display/colour_pairs.h"

bool openCountedTerminal(CountedTerminal& t, int rows, int cols, bool toNull) {
  setenv("LINES", std::to_string(rows).c_str(), 1);
  setenv("COLUMNS", std::to_string(cols).c_str(), 1);
  if (toNull) {
    t.out = std::fopen("/dev/null", "w");
  } else {
    int fds[2];
    if (pipe(fds) != 0) return false;
    // One frame of a full repaint must fit, since the drain only runs
    // between frames.
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    t.readFd = fds[0];
    t.out = fdopen(fds[1], "w");
  }
  t.in = std::fopen("/dev/null", "r");
  t.screen = newterm("xterm-256color", t.out, t.in);
  if (!t.screen) return false;
  set_term(t.screen);
  curs_set(0);
  noecho();
  typeahead(-1);
  setUpColours();
  return true;
}

uint64_t drainTerminal(CountedTerminal& t) {
  if (t.readFd < 0) return 0;
  char buffer[65536];
  uint64_t total = 0;
  for (;;) {
    ssize_t n = read(t.readFd, buffer, sizeof buffer);
    if (n <= 0) break;
    total += static_cast<uint64_t>(n);
  }
  t.bytes += total;
  return total;
}

void closeCountedTerminal(CountedTerminal& t) {
  endwin();
  drainTerminal(t);
  delscreen(t.screen);
  std::fclose(t.out);
  std::fclose(t.in);
  if (t.readFd >= 0) close(t.readFd);
  t = CountedTerminal();
}
