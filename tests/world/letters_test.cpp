#include "world/world_fixture.h"

using LettersTest = WorldTest;

TEST_F(LettersTest, LiveCountsAndBitOrder) {
  const int32_t counts[letterCount] = {335, 415, 282, 371, 368, 283, 380, 380, 272, 299, 368, 220,
                                       489, 469, 398, 293, 386, 350, 248, 275, 345, 185, 275};
  for (int i = 0; i < letterCount; ++i)
    EXPECT_EQ(std::count(letterGrids[i], letterGrids[i] + 1024, 1), counts[i]) << i;
  // Bit 31 is column 0: row 2 of the A is set over columns 18..20 only.
  for (int c = 0; c < gridSize; ++c) EXPECT_EQ(letterGrids[0][gridSize * 2 + c], c >= 18 && c <= 20) << c;
}

TEST_F(LettersTest, PlacementDrawsRowFirstAndEnemyFireColumnFirst) {
  scriptRandom({101u, 102u * 9u, 33u, 0u});
  placeFormation();  // each -50..51
  EXPECT_EQ(formationRow, 51);
  EXPECT_EQ(formationCol, -50);
  EXPECT_EQ(initialEnemyCount, 335);
  spawnEnemyShot();  // from the 34 x 34 square around the formation's corner
  EXPECT_EQ(enemyShots.back().col, -50 - 16 + 33);
  EXPECT_EQ(enemyShots.back().row, 51 - 16);
  EXPECT_EQ(enemyShots.back().timeLeft, 3.0f);
}
