#include "world/world_fixture.h"

TEST(Letters, TablesUnpackWithBit31AsColumnZero) {
  resetWorld();
  const int32_t counts[letterCount] = {335, 415, 282, 371, 368, 283, 380, 380, 272, 299, 368, 220,
                                       489, 469, 398, 293, 386, 350, 248, 275, 345, 185, 275};
  for (int i = 0; i < letterCount; ++i) {
    levelGrid = letterGrids[i];
    EXPECT_EQ(countLiveEnemies(), counts[i]) << "level " << i + 1;
    for (uint8_t v : letterGrids[i]) ASSERT_LE(v, 1);
  }
  // letter, row, and the one run of set cells in that row
  const int runs[][4] = {{0, 2, 18, 20}, {8, 7, 8, 12}, {18, 2, 2, 26}, {22, 24, 3, 23}, {12, 31, 29, 31}};
  for (auto [letter, row, first, last] : runs)
    for (int c = 0; c < gridSize; ++c)
      EXPECT_EQ(letterGrids[letter][gridSize * row + c], c >= first && c <= last) << letter << ":" << row << "," << c;
  resetWorld();
}

TEST(Letters, FractionAndPlacement) {
  resetWorld();
  scriptRandom({0u, 101u, 101u, 0u, 102u * 7u + 3u, 4294967295u});
  const int32_t places[][2] = {{-50, 51}, {51, -50}, {-47, 1}};  // row drawn first
  for (auto [row, col] : places) {
    placeFormation();
    EXPECT_EQ(formationRow, row);
    EXPECT_EQ(formationCol, col);
  }
  EXPECT_EQ(scripted::draws, 6u);
  EXPECT_EQ(initialEnemyCount, 335);
  EXPECT_EQ(remainingFraction(), 1.0f);
  std::memset(levelGrid, 0, gridSize * gridSize);
  levelGrid[100] = 2;  // only cells holding exactly 1 are enemies
  EXPECT_EQ(remainingFraction(), -1.0f);
  levelGrid[500] = 1;
  EXPECT_EQ(remainingFraction(), 1.0f / 335.0f);
  resetLetters();  // kills are undone only by a reset
  EXPECT_EQ(countLiveEnemies(), 335);
  resetWorld();
}
