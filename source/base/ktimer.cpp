#include "base/ktimer.h"

#include <ctime>

namespace Tessor {
namespace Base {

bool MonotonicCounter(int64_t* ticks) {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
  *ticks = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return true;
}

bool MonotonicFrequency(int64_t* ticksPerSecond) {
  timespec resolution{};
  if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return false;
  *ticksPerSecond = 1000000000;
  return true;
}

bool (*QueryCounter)(int64_t* ticks) = MonotonicCounter;
bool (*QueryFrequency)(int64_t* ticksPerSecond) = MonotonicFrequency;

bool Timer::Initialize() {
  if (initialized) return true;
  // A zero or negative rate, or a counter that cannot be read, would make
  // every Tick meaningless, so either counts as having no counter.
  bool ok = QueryFrequency(&frequency) && frequency > 0 && QueryCounter(&current);
  if (ok) last = current;
  if (LogOutputs != 0) {
    if (ok)
      log.Write("Tessor::Base::Timer::Initialize",
                "Zainicjowano Zegar (zainicjowano czas uruchomienia) prawidlowo.", "OK",
                "..\\..\\source\\base\\ktimer", 88, None);
    else
      log.Write("Tessor::Base::Timer::Initialize", "System NIE dysponuje zegarem o wysokiej czestotliwosci.",
                "ERROR", "..\\..\\source\\base\\ktimer", 97, None);
  }
  initialized = ok;
  return ok;
}

// Without a running timer or a reading there is nothing to measure; 0 keeps
// the frame from being scaled by garbage (or a division by zero).
float Timer::Tick() {
  int64_t now = 0;
  if (!initialized || !QueryCounter(&now)) return 0.0f;
  double seconds = (static_cast<double>(now) - static_cast<double>(last)) / static_cast<double>(frequency);
  last = now;
  return static_cast<float>(seconds);
}

void Timer::Resync() {
  int64_t now = 0;
  if (initialized && QueryCounter(&now)) last = now;
}

}  // namespace Base
}  // namespace Tessor
