#include "game/world/hits.h"
#include "game/gfx/explosion.h"
#include "world/world_fixture.h"

using HitsTest = WorldTest;

TEST_F(HitsTest, AimedHitNeedsAShownCellAndKillsItsDisc) {
  // Landing cell, cells killed at radius 2: a cell wrapped to the next row
  // would be one more.
  const int32_t cases[][3] = {{10, 10, 9}, {0, 0, 4}, {15, 31, 6}};
  for (auto [r, c, count] : cases) {
    fillLevel(1);
    placeLevel(5, -3);
    EXPECT_TRUE(aimedHit(5 + r, -3 + c));
    EXPECT_EQ(killed(), count) << r << "," << c;
  }

  resetLetters();
  placeLevel(-5, 7);  // the A: (2, 17) is empty beside the live (2, 18)
  for (auto [r, c] : {std::pair{2, 17}, {-1, 18}, {32, 18}, {20, 32}})
    EXPECT_FALSE(aimedHit(r - 5, c + 7)) << r;
  EXPECT_EQ(countLiveEnemies(), 335);

  // The display grid is rebuilt only between frames: the second shot meets
  // the cell the first one killed. Each hit makes 1 + (draw & 3) bursts and
  // a cloud, the bursts on the landing cell.
  scriptRandom({7u});
  playerShots = {ShotRecord{15, 27, -0.1f}, ShotRecord{15, 27, -0.1f}};
  updatePlayerShots(0.1f);
  EXPECT_EQ(effectList.size(), 2u * (4 + 1));
  for (const auto& task : effectList) {
    if (auto* burst = dynamic_cast<const gfxBurst*>(task.get())) {
      EXPECT_EQ(std::pair(burst->centre.y, burst->centre.x), std::pair(15.0f, 27.0f));
    }
  }
}

TEST_F(HitsTest, AreaHitAcceptsLandingJustPastTheGridButNeverWraps) {
  const int32_t cases[][4] = {
      // landing row, column, hit, cells killed at radius 3
      {32, 10, 1, 10}, {10, 32, 1, 10}, {32, 32, 1, 4}, {33, 10, 0, 0}, {10, -1, 0, 0}, {10, 0, 1, 15},
  };
  for (auto [r, c, hit, count] : cases) {
    fillLevel(1);
    placeLevel(-20, 30);
    EXPECT_EQ(areaHit(-20 + r, 30 + c, 3.0f, -1.0f), hit != 0) << r << "," << c;
    EXPECT_EQ(killed(), count) << r << "," << c;  // a wrapped cell would be one more
  }
}

// The power-up kills every cell within 8, where an aimed shot would miss
// and a spread shot of chance 0 would kill nothing.
TEST_F(HitsTest, PowerUpKillsEverythingWithinEightCellsInEitherMode) {
  for (bool aimed : {true, false}) {
    fillLevel(1);
    levelGrid[gridSize * 16 + 16] = 0;
    placeLevel(0, 0);
    powerUpActive = true;
    combatParams.killChance = 0.0f;
    combatParams.aimedMode = aimed;
    playerShots = {ShotRecord{16, 16, -0.1f}};
    updatePlayerShots(0.1f);
    EXPECT_EQ(killed(), 193) << aimed;
  }
}

// The last kill sets up the next letter inside the pass; a later shot of the
// same pass meets the new letter at its new place.
TEST_F(HitsTest, LevelChangeInsideAPassIsSeenByLaterShots) {
  fillLevel(0);
  levelGrid[gridSize * 2 + 18] = 1;
  placeLevel(0, 0);
  scriptRandom({0u});  // every draw 0: the B goes to (-50, -50)
  playerShots = {ShotRecord{2, 18, -0.1f}, ShotRecord{-50, -43, -0.1f}};
  updatePlayerShots(0.1f);
  // The B is up: its cells (0,7) (0,8) (1,6) (1,7) (1,8) lie within 2 of (0, 7).
  EXPECT_EQ(countLiveEnemies(), 415 - 5);
}
