#include "world/world_fixture.h"

namespace {

using ShotDrawingTest = WorldTest;

struct Stage {
  float timeLeft;
  int cells;
};

}  // namespace

TEST_F(ShotDrawingTest, PlayerShotsShrinkAndEnemyShotsGrowByStage) {
  placeLevel(0, 0);
  enemyGlyph = 'D';
  const Stage playerStages[] = {{3.0f, 13}, {2.0001f, 13}, {2.0f, 5}, {1.0001f, 5}, {1.0f, 1}, {0.0f, 1}};
  for (auto [timeLeft, cells] : playerStages) {
    erase();
    playerShots = {ShotRecord{10, 40, timeLeft}};
    updatePlayerShots(0.25f);
    EXPECT_EQ(countChar('D'), cells) << "player " << timeLeft;
    EXPECT_EQ(cellAt(10, 40).pair, 11);
    EXPECT_EQ(playerShots.front().timeLeft, timeLeft - 0.25f);
  }
  // The centre is always an 'A'; the rings take the level's letter.
  const Stage enemyStages[] = {{3.0f, 1}, {2.0f, 1}, {1.99f, 5}, {1.0f, 5}, {0.99f, 13}, {0.0f, 13}};
  for (auto [timeLeft, cells] : enemyStages) {
    erase();
    enemyShots = {ShotRecord{12, 30, timeLeft}};
    updateEnemyShots(0.5f);
    EXPECT_EQ(cellAt(12, 30).ch, 'A');
    EXPECT_EQ(cellAt(12, 30).pair, 10);
    EXPECT_EQ(countChar('D'), cells - 1) << "enemy " << timeLeft;
    EXPECT_EQ(enemyShots.front().timeLeft, timeLeft - 0.5f);
  }
  // The thresholds follow the flight time in force now.
  erase();
  combatParams.shotFlightTime = 0.5f;
  playerShots = {ShotRecord{10, 40, 0.4f}};
  updatePlayerShots(0.0f);
  EXPECT_EQ(countChar('D'), 13);
}

TEST_F(ShotDrawingTest, ShotAtExactlyZeroIsDrawnOnceMoreAndLandsNextFrame) {
  placeLevel(0, 0);
  playerShots = {ShotRecord{10, 40, 0.0f}};
  updatePlayerShots(0.1f);
  EXPECT_EQ(countChar('A'), 1);
  ASSERT_EQ(playerShots.size(), 1u);
  erase();
  updatePlayerShots(0.1f);
  EXPECT_TRUE(playerShots.empty());
  EXPECT_EQ(countChar('A'), 0);
}

TEST_F(ShotDrawingTest, ShotsAreClippedCellByCellAtTheConsoleEdges) {
  placeLevel(0, 0);
  const int32_t cases[][5] = {
      // row, col, viewRow, viewCol, cells shown
      {0, 0, 0, 0, 6}, {0, 0, 24, 79, 6}, {-2, 40, 0, 0, 1}, {-3, 40, 0, 0, 0}, {10, 81, 0, 0, 1},
      {-200, 500, 120, -120, 0},
  };
  for (auto [row, col, vRow, vCol, cells] : cases) {
    erase();
    viewRow = vRow;
    viewCol = vCol;
    playerShots = {ShotRecord{row, col, 3.0f}};
    updatePlayerShots(0.0f);
    EXPECT_EQ(countChar('A'), cells) << row << "," << col;
  }
}

TEST_F(ShotDrawingTest, EnemyShotsSpawnColumnFirstAndHurtOnlyOnScreen) {
  placeLevel(5, -7);
  scriptRandom({33u, 0u});
  spawnEnemyShot();
  EXPECT_EQ(enemyShots.back().col, -7 - 16 + 33);
  EXPECT_EQ(enemyShots.back().row, 5 - 16);
  EXPECT_EQ(enemyShots.back().timeLeft, 3.0f);

  const int32_t cases[][5] = {
      // row, col, viewRow, viewCol, hits
      {10, 10, 0, 0, 1}, {24, 79, 0, 0, 1}, {-1, 10, 0, 0, 0}, {25, 10, 0, 0, 0},
      {10, 80, 0, 0, 0}, {-5, 3, 10, 0, 1}, {5, 3, 0, -4, 0},
  };
  for (auto [row, col, vRow, vCol, hits] : cases) {
    viewRow = vRow;
    viewCol = vCol;
    hitsTaken = 0;
    enemyShots = {ShotRecord{row, col, -0.01f}};
    updateEnemyShots(0.1f);
    EXPECT_EQ(hitsTaken, hits) << row << "," << col;
    EXPECT_TRUE(enemyShots.empty());
  }
  // Both arrivals of one frame count (the frame loop makes one loss of
  // them); a shot at exactly 0 arrives a frame later.
  viewRow = viewCol = 0;
  hitsTaken = 0;
  enemyShots = {ShotRecord{3, 3, -0.2f}, ShotRecord{4, 4, 0.0f}, ShotRecord{5, 5, -0.01f}};
  updateEnemyShots(0.1f);
  EXPECT_EQ(hitsTaken, 2);
  ASSERT_EQ(enemyShots.size(), 1u);
  EXPECT_EQ(enemyShots.front().row, 4);
}
