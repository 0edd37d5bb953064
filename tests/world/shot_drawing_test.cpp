#include <tuple>

#include "world/world_fixture.h"

using ShotDrawingTest = WorldTest;

// Player shots shrink from 13 cells to 1 at two and one thirds of the
// flight time in force, enemy shots grow from 1 to 13 at 2 s and 1 s; a shot
// at exactly 0 is drawn once more.
TEST_F(ShotDrawingTest, ShotsChangeSizeAtTheirStageBoundaries) {
  enemyGlyph = 'D';
  combatParams.shotFlightTime = 1.5f;
  const std::tuple<bool, float, int> stages[] = {
      // player's or enemy's, time left, cells
      {true, 1.0001f, 13}, {true, 1.0f, 5},   {true, 0.5f, 1},    {true, 0.0f, 1},
      {false, 2.0f, 1},    {false, 1.99f, 5}, {false, 0.99f, 13}, {false, 0.0f, 13},
  };
  for (auto [player, timeLeft, cells] : stages) {
    erase();
    auto& shots = player ? playerShots : enemyShots;
    shots = {ShotRecord{10, 40, timeLeft}};
    player ? updatePlayerShots(0.25f) : updateEnemyShots(0.25f);
    EXPECT_EQ(countChar('D') + countChar('A'), cells) << player << " " << timeLeft;
    EXPECT_EQ(cellAt(10, 40).ch, player ? 'D' : 'A');  // an enemy shot's centre is always an 'A'
    EXPECT_EQ(cellAt(10, 40).pair, player ? 11 : 10);
    ASSERT_EQ(shots.size(), 1u);  // a shot at exactly 0 is still in flight
  }
}

// Shots are drawn cell by cell up to the console edges; arrivals off the
// console do not hurt, and both arrivals of one frame count.
TEST_F(ShotDrawingTest, ConsoleEdgesClipShotsAndArrivals) {
  const int32_t cases[][6] = {
      // row, col, viewRow, viewCol, cells shown, hit
      {0, 0, 24, 79, 6, 1}, {-2, 40, 0, 0, 1, 0},  {-3, 40, 0, 0, 0, 0},         {10, 80, 0, 0, 4, 0},
      {10, 81, 0, 0, 1, 0}, {-5, 3, 10, 0, 13, 1}, {-200, 500, 120, -120, 0, 0},
  };
  for (auto [row, col, vRow, vCol, cells, hit] : cases) {
    erase();
    viewRow = vRow;
    viewCol = vCol;
    playerShots = {ShotRecord{row, col, 3.0f}};
    updatePlayerShots(0.0f);
    EXPECT_EQ(countChar('A'), cells) << row << "," << col;
    hitsTaken = 0;
    enemyShots = {ShotRecord{row, col, -0.01f}, ShotRecord{row, col, -0.01f}};
    updateEnemyShots(0.1f);
    EXPECT_EQ(hitsTaken, 2 * hit) << row << "," << col;
    EXPECT_TRUE(enemyShots.empty());
  }
}
