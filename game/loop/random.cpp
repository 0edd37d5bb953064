#include "game/loop/random.h"

#include "base/ktimer.h"

uint32_t nextRandom(RandomSource& source) {
  uint32_t x = source.state[0];
  x ^= x << 17;
  x ^= x >> 13;
  x ^= x << 5;
  source.state[0] = x;
  return x;
}

float random01() {
  uint32_t r = drawRandom();
  return static_cast<float>(static_cast<double>(r) * 2.3283064365386963e-10);
}

namespace {

void seed(RandomSource& source, uint64_t counter) {
  uint32_t low = static_cast<uint32_t>(counter);
  // xorshift never leaves state 0: every draw would be 0 for the whole run.
  if (low == 0) low = 0x9E3779B9u;
  for (uint32_t& word : source.state) word = low;
  source.step = nextRandom;
}

}  // namespace

RandomSource randomSource;

void seedRandom(uint64_t counter) { seed(randomSource, counter); }

uint64_t clockSeed() {
  int64_t ticks = 0;
  Tessor::Base::MonotonicCounter(&ticks);
  return static_cast<uint64_t>(ticks);
}

namespace {

// Seeded before main runs, as every module has its start values then.
[[maybe_unused]] const bool randomStarted = (seedRandom(clockSeed()), true);

}  // namespace
