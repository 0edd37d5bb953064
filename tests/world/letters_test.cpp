#include "world/world_fixture.h"

using LettersTest = WorldTest;

TEST_F(LettersTest, BitOrderPlacementAndEnemyFire) {
  // Bit 31 is column 0: row 2 of the A is set over columns 18..20 only.
  for (int c = 0; c < gridSize; ++c) EXPECT_EQ(letterGrids[0][gridSize * 2 + c], c >= 18 && c <= 20) << c;
  scriptRandom({101u, 102u * 9u, 33u, 0u});
  placeFormation();  // row first, each -50..51
  EXPECT_EQ(formationRow, 51);
  EXPECT_EQ(formationCol, -50);
  spawnEnemyShot();  // from the 34 x 34 square around the formation's corner, column first
  EXPECT_EQ(enemyShots.back().col, -50 - 16 + 33);
  EXPECT_EQ(enemyShots.back().row, 51 - 16);
}
