#include "sink.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "platform/console.h"
#include "platform/output.h"

int64_t benchMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

namespace {

void readLoop(CountedTerminal* t) {
  char buffer[65536];
  int64_t start = benchMicros();
  double allowed = 0;  // bytes the rate allows since start, less those read
  uint64_t atStart = 0;
  bool wasPaused = false;
  while (!t->done) {
    if (t->paused) {
      wasPaused = true;
      usleep(1000);
      continue;
    }
    double rate = t->bytesPerSecond;
    if (wasPaused || rate <= 0) {
      start = benchMicros();
      atStart = t->bytes;
      wasPaused = false;
    }
    size_t want = sizeof buffer;
    if (rate > 0) {
      // A steady trickle in 5 ms steps, as a link of that rate delivers.
      allowed = rate * (benchMicros() - start) / 1e6 - static_cast<double>(t->bytes - atStart);
      if (allowed < 1) {
        usleep(5000);
        continue;
      }
      want = std::min(want, static_cast<size_t>(allowed));
    }
    pollfd p{t->master, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0) continue;
    ssize_t n = read(t->master, buffer, want);
    if (n <= 0) continue;
    uint64_t total = t->bytes += static_cast<uint64_t>(n);
    uint64_t watch = t->watchFor;
    if (watch && total >= watch) {
      t->watchSeenMicros = benchMicros();
      t->watchFor = 0;
    }
  }
}

}  // namespace

bool openCountedTerminal(CountedTerminal& t, int rows, int cols, double bytesPerSecond) {
  winsize ws{};
  ws.ws_row = static_cast<unsigned short>(rows);
  ws.ws_col = static_cast<unsigned short>(cols);
  if (openpty(&t.master, &t.slave, nullptr, nullptr, &ws) != 0) return false;
  fcntl(t.master, F_SETFL, O_NONBLOCK);
  t.bytesPerSecond = bytesPerSecond;
  t.bytes = 0;
  t.done = false;
  t.paused = false;
  t.watchFor = 0;
  t.reader = std::thread(readLoop, &t);
  outputCounts = OutputCounts();
  if (!outputStart(t.slave, "xterm-256color")) return false;
  curs_set(0);
  noecho();
  typeahead(-1);
  setUpColours();
  return true;
}

void closeCountedTerminal(CountedTerminal& t) {
  t.paused = false;
  t.bytesPerSecond = 0;
  endwin();
  outputStop();
  outputRelease();
  t.done = true;
  t.reader.join();
  close(t.slave);
  close(t.master);
  t.master = t.slave = -1;
}
