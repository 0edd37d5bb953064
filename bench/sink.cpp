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
#include <deque>
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
    uint64_t watch = t->watchFor;
    if (watch && total >= watch) {
      t->watchSeenMicros = benchMicros();
      t->watchFor = 0;
    }
  }
}

// Pieces small enough that a request's arrival is timed to within a few
// milliseconds at 20 kB/s.
constexpr size_t kPiece = 64;
constexpr char kAnswer[] = "\x1b[?62;22c";

struct Piece {
  int64_t arrival;
  std::string bytes;
};

// Finds DA1 requests (ESC [ c) across pieces.
struct RequestScan {
  int state = 0;
  int count(const std::string& bytes) {
    int found = 0;
    for (char b : bytes) {
      if (state == 2 && b == 'c') ++found, state = 0;
      else if (b == '\x1b') state = 1;
      else state = state == 1 && b == '[' ? 2 : 0;
    }
    return found;
  }
};

void queueRead(CountedTerminal* t, std::deque<Piece>& queue, int64_t& linkFree, const char* bytes, size_t n) {
  int64_t now = benchMicros();
  for (size_t at = 0; at < n; at += kPiece) {
    size_t size = std::min(kPiece, n - at);
    linkFree = std::max(linkFree, now) + static_cast<int64_t>(size * 1e6 / t->bytesPerSecond);
    queue.push_back({linkFree + t->delayMicros, std::string(bytes + at, size)});
  }
  t->bytes += n;
  t->linkFreeAt = linkFree;
}

void farLoop(CountedTerminal* t) {
  std::deque<Piece> queue;
  std::deque<int64_t> answers;
  RequestScan scan;
  int64_t linkFree = 0;
  char buffer[65536];
  while (!t->done) {
    pollfd p{t->master, POLLIN, 0};
    if (poll(&p, 1, 1) > 0) {
      ssize_t n = read(t->master, buffer, sizeof buffer);
      if (n > 0) queueRead(t, queue, linkFree, buffer, static_cast<size_t>(n));
    }
    int64_t now = benchMicros();
    for (; !queue.empty() && queue.front().arrival <= now; queue.pop_front()) {
      for (int i = scan.count(queue.front().bytes); i > 0; i--) answers.push_back(now + t->delayMicros);
      uint64_t total = t->arrived += queue.front().bytes.size();
      uint64_t watch = t->watchFor;
      if (watch && total >= watch) {
        t->watchSeenMicros = now;
        t->watchFor = 0;
      }
    }
    for (; !answers.empty() && answers.front() <= now; answers.pop_front())
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
  t.watchFor = 0;
  t.arrived = 0;
  t.linkFreeAt = 0;
  t.reader = t.delayMicros > 0 ? std::thread(farLoop, &t) : std::thread(readLoop, &t);
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
