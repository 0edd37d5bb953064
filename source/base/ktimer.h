// Tessor::Base::Timer: seconds between frames from a monotonic counter.
//
// The counter is read through two replaceable functions so that tests (and
// the benchmark) can choose every reading. By default they read
// CLOCK_MONOTONIC in nanoseconds, so the frequency is 10^9.
#pragma once

#include <cstdint>

#include "base/log.h"

namespace Tessor {
namespace Base {

// Each returns false when the counter is unavailable.
extern bool (*QueryCounter)(int64_t* ticks);
extern bool (*QueryFrequency)(int64_t* ticksPerSecond);

bool MonotonicCounter(int64_t* ticks);
bool MonotonicFrequency(int64_t* ticksPerSecond);

class Timer {
public:
  // False when there is no usable counter; the timer then stays new and a
  // later call tries again. A second call on a running timer reads nothing.
  bool Initialize();
  // Seconds since the previous Tick (or Initialize); 0 on a timer that is
  // not running or when the counter cannot be read.
  float Tick();
  // Moves the previous reading to now without measuring, so a pause
  // (Ctrl-Z) does not become one huge frame. Call it from the frame loop
  // (e.g. when a SIGCONT flag is seen), not from the signal handler, which
  // could interrupt Tick between its read and its write of the reading.
  void Resync();

private:
  int64_t current = 0;
  int64_t last = 0;
  int64_t frequency = 0;
  bool initialized = false;
  Logger log;
};

}  // namespace Base
}  // namespace Tessor
