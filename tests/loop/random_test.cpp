#include <gtest/gtest.h>

#include "game/loop/random.h"

TEST(Random, XorshiftUnitDrawsAndTheZeroSeed) {
  seedRandom(1);
  EXPECT_EQ(drawRandom(), 4325937u);
  EXPECT_EQ(drawRandom(), 2149860625u);
  EXPECT_EQ(drawRandom(), 1254404419u);

  // Only the 128 largest values round to exactly 1.0.
  static uint32_t value;
  randomSource.step = [](RandomSource&) { return value; };
  for (auto [draw, one] : {std::pair{0xFFFFFFFFu, true}, {4294967168u, true}, {4294967167u, false}}) {
    value = draw;
    EXPECT_EQ(random01() == 1.0f, one) << draw;
  }

  // xorshift never leaves 0, so a seed whose low 32 bits are 0 is replaced;
  // the step itself keeps 0 at 0.
  seedRandom(0x500000000ull);
  EXPECT_NE(drawRandom(), 0u);
  RandomSource frozen{{0, 0, 0, 0}, nextRandom};
  EXPECT_EQ(nextRandom(frozen), 0u);
  seedRandom(1);
}
