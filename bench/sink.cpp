#include "sink.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/display/colour_pairs.h"
#include "platform/output/output.h"

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
    int64_t now = benchMicros();
    t->reads.push_back({total, now, now, 0});
  }
}

// The answer of a VT220-like terminal.
constexpr char kAnswer[] = "\x1b[?62;22c";

// Sleeps until the next arrival or answer is due, or the game writes, but
// no longer than 20 ms: a thread woken a thousand times a second costs the
// game its core on a loaded machine.
int waitMillis(const FarLink& link) {
  int64_t next = farLinkNextEvent(link);
  if (next == INT64_MAX) return 20;
  int64_t left = (next - benchMicros() + 999) / 1000;
  return static_cast<int>(std::clamp<int64_t>(left, 0, 20));
}

void farLoop(CountedTerminal* t) {
  FarLink& link = t->link;
  link = FarLink{};
  link.random = t->seed;
  bool shaped = false;
  char buffer[65536];
  while (!t->done) {
    if (!shaped && t->shaped) {
      link.shape = t->shape;
      shaped = true;
    }
    pollfd p{t->master, POLLIN, 0};
    if (poll(&p, 1, waitMillis(link)) > 0) {
      ssize_t n = read(t->master, buffer, sizeof buffer);
      if (n > 0) {
        farLinkSend(link, benchMicros(), buffer, static_cast<size_t>(n));
        t->bytes += static_cast<uint64_t>(n);
      }
    }
    for (int i = farLinkAnswers(link, benchMicros()); i > 0; i--)
      if (write(t->master, kAnswer, sizeof kAnswer - 1) < 0) break;
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
  t.reads.clear();
  t.shaped = false;
  t.reader = t.far ? std::thread(farLoop, &t) : std::thread(readLoop, &t);
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
