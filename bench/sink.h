// A terminal for the benchmark: the game's output module writes real curses
// output into a pseudo-terminal, and a reader thread on its other side takes
// the bytes as a terminal would, as fast as it can or at a set rate (a slow
// link), or not at all for a while (a terminal that stopped reading), or
// takes them all at once into a far link.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include <curses.h>
#include <thread>
#include <vector>

#include "far_link.h"

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
  // A near terminal's reads, one piece each: what it had read by when.
  std::vector<LinkPiece> reads;
  // A far terminal (far_link.h): every byte is taken at once; until
  // `shaped` the link has neither rate nor delay, then it takes `shape`.
  bool far = false;
  LinkShape shape;
  uint32_t seed = 1;
  std::atomic<bool> shaped{false};
  FarLink link;  // the reader's; read it after closeCountedTerminal
  bool paced = true;
  FILE* direct = nullptr;  // unpaced: curses writes straight to the terminal
  SCREEN* screen = nullptr;
  uint64_t wchar0 = 0;
};

// Opens rows x cols (far when t.far is set) and starts curses on it: paced through the output
// module, unpaced straight on the terminal with a plain refresh per frame.
bool openCountedTerminal(CountedTerminal& t, int rows, int cols, double bytesPerSecond, bool paced);
// Bytes put into the terminal's stream since it was opened, and write calls
// so far (the unpaced ones are counted by the kernel).
uint64_t streamBytes(const CountedTerminal& t);
uint64_t writeCalls(const CountedTerminal& t);
void closeCountedTerminal(CountedTerminal& t);
int64_t benchMicros();
