#include <gtest/gtest.h>

#include "game/world/letters.h"

// Bit 31 is column 0: row 2 of the A is set over columns 18..20 only, and a
// letter read the other way round would be drawn mirrored.
TEST(Letters, BitOrder) {
  resetLetters();
  for (int c = 0; c < gridSize; ++c) EXPECT_EQ(letterGrids[0][gridSize * 2 + c], c >= 18 && c <= 20) << c;
}
