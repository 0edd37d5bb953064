#include "sink.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/display/colour_pairs.h"
#include "platform/output.h"

int64_t benchMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
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
    int64_t clock = benchMicros();
    if (clock >= t->stopFrom && clock < t->stopUntil) {
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
      // A trickle in 20 ms steps, as a link of that rate delivers (shorter
      // steps wake this thread often enough to cost the game its core on a
      // loaded machine).
      allowed = rate * (benchMicros() - start) / 1e6 - static_cast<double>(t->bytes - atStart);
      if (allowed < 1) {
        usleep(20000);
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

// The kernel's count of this process's writes: the unpaced terminal's
// bytes and calls, since nothing else writes while a scene runs.
uint64_t procIo(const char* field) {
  FILE* io = std::fopen("/proc/self/io", "r");
  if (!io) return 0;
  char name[32];
  unsigned long long value = 0, found = 0;
  while (std::fscanf(io, "%31s %llu", name, &value) == 2)
    if (std::strncmp(name, field, std::strlen(field)) == 0) found = value;
  std::fclose(io);
  return found;
}

}  // namespace

uint64_t streamBytes(const CountedTerminal& t) {
  return t.paced ? outputCounts.made : procIo("wchar:") - t.wchar0;
}

uint64_t writeCalls(const CountedTerminal& t) { return t.paced ? outputCounts.writes : procIo("syscw:"); }

bool openCountedTerminal(CountedTerminal& t, int rows, int cols, double bytesPerSecond, bool paced) {
  winsize ws{};
  ws.ws_row = static_cast<unsigned short>(rows);
  ws.ws_col = static_cast<unsigned short>(cols);
  if (openpty(&t.master, &t.slave, nullptr, nullptr, &ws) != 0) return false;
  fcntl(t.master, F_SETFL, O_NONBLOCK);
  t.bytesPerSecond = bytesPerSecond;
  t.bytes = 0;
  t.done = false;
  t.stopFrom = t.stopUntil = 0;
  t.watchFor = 0;
  t.reader = std::thread(readLoop, &t);
  outputCounts = OutputCounts();
  t.paced = paced;
  if (paced) {
    if (!outputStart(t.slave, "xterm-256color")) return false;
  } else {
    setenv("LINES", std::to_string(rows).c_str(), 1);
    setenv("COLUMNS", std::to_string(cols).c_str(), 1);
    t.direct = fdopen(dup(t.slave), "w");
    t.wchar0 = procIo("wchar:");
    t.screen = newterm("xterm-256color", t.direct, stdin);
    if (!t.screen) return false;
    set_term(t.screen);
  }
  curs_set(0);
  noecho();
  typeahead(-1);
  setUpColours();
  return true;
}

void closeCountedTerminal(CountedTerminal& t) {
  t.stopFrom = t.stopUntil = 0;
  t.bytesPerSecond = 0;
  endwin();
  if (t.paced) {
    outputStop();
    outputRelease();
  } else {
    delscreen(t.screen);
    std::fclose(t.direct);
    t.direct = nullptr;
  }
  t.done = true;
  t.reader.join();
  close(t.slave);
  close(t.master);
  t.master = t.slave = -1;
}
