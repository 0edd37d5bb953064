// A terminal for the benchmark: the game's output module writes real curses
// output into a pseudo-terminal, and a reader thread on its other side takes
// the bytes as a terminal would, as fast as it can or at a set rate (a slow
// link), or not at all for a while (a terminal that stopped reading).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include <curses.h>
#include <thread>

struct CountedTerminal {
  int master = -1;
  int slave = -1;
  std::thread reader;
  std::atomic<bool> done{false};
  // The reader takes nothing in [stopFrom, stopUntil) (benchMicros); it
  // keeps the time itself, since an unpaced game is stuck in a write then.
  std::atomic<int64_t> stopFrom{0};
  std::atomic<int64_t> stopUntil{0};
  std::atomic<double> bytesPerSecond{0};  // 0: as fast as it can
  std::atomic<uint64_t> bytes{0};         // read so far
  // The reader notes when it has read up to `watchFor` bytes.
  std::atomic<uint64_t> watchFor{0};
  std::atomic<int64_t> watchSeenMicros{0};
  // A far terminal behind buffers the game cannot see (sshd and TCP): the
  // reader takes every byte at once into an unbounded queue, which crosses
  // the link at bytesPerSecond and arrives delayMicros later; the terminal
  // answers each DA1 request as it arrives, the answer travelling back
  // delayMicros. 0: a near terminal as above.
  int64_t delayMicros = 0;
  std::atomic<uint64_t> arrived{0};    // bytes the far terminal has read
  std::atomic<int64_t> linkFreeAt{0};  // when the link has sent all queued
  bool paced = true;
  FILE* direct = nullptr;  // unpaced: curses writes straight to the terminal
  SCREEN* screen = nullptr;
  uint64_t wchar0 = 0;
};

// Opens rows x cols (far when t.delayMicros is set) and starts curses on it: paced through the output
// module, unpaced straight on the terminal with a plain refresh per frame.
bool openCountedTerminal(CountedTerminal& t, int rows, int cols, double bytesPerSecond, bool paced);
// Bytes put into the terminal's stream since it was opened, and write calls
// so far (the unpaced ones are counted by the kernel).
uint64_t streamBytes(const CountedTerminal& t);
uint64_t writeCalls(const CountedTerminal& t);
void closeCountedTerminal(CountedTerminal& t);
int64_t benchMicros();
