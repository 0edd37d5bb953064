// The one random source of the game. Every random choice (enemy fire,
// formation places, explosions, stars, clouds, shakes, the power-up) draws
// from it, in a fixed order, so a seed replays a whole game.
#pragma once

#include <cstdint>

struct RandomSource {
  uint32_t state[4];
  uint32_t (*step)(RandomSource& source);
};

extern RandomSource randomSource;

// 32-bit xorshift on state word 0.
uint32_t nextRandom(RandomSource& source);

// One draw through the source's step pointer.
inline uint32_t drawRandom() { return randomSource.step(randomSource); }

// One draw scaled to [0, 1]; the largest values give exactly 1.0.
float random01();

// Seeds all four words with the low 32 bits of counter (a fixed non-zero
// value when those are 0, since state 0 would stay 0 for ever).
void seedRandom(uint64_t counter);

// The monotonic counter now: the seed of a game the player starts.
uint64_t clockSeed();
