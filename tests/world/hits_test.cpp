#include "game/gfx/explosion.h"
#include "world/world_fixture.h"

namespace {

using HitsTest = WorldTest;

void checkerboard() {
  for (int i = 0; i < gridSize * gridSize; ++i) levelGrid[i] = (i / gridSize + i % gridSize) % 2 == 0;
}

}  // namespace

TEST_F(HitsTest, AimedHitNeedsAShownCellAndKillsItsDisc) {
  const struct {
    float radius;
    int32_t r, c;
    int killed;
  } cases[] = {
      {2.0f, 10, 10, 9}, {3.0f, 10, 10, 25}, {2.0f, 0, 0, 4}, {3.0f, 31, 31, 9}, {2.0f, 15, 31, 6},
  };
  for (auto [radius, r, c, count] : cases) {
    fillLevel(1);
    placeLevel(5, -3);
    combatParams.killRadius = radius;
    EXPECT_TRUE(aimedHit(5 + r, -3 + c));
    EXPECT_EQ(killed(), count) << r << "," << c << " radius " << radius;
  }
  // Nothing wraps to the far end of a neighbouring row.
  fillLevel(1);
  placeLevel(0, 0);
  aimedHit(10, 0);
  aimedHit(20, 31);
  EXPECT_EQ(cell(9, 31) + cell(10, 31) + cell(20, 0) + cell(21, 0), 4);

  resetLetters();
  placeLevel(0, 0);  // the A: (2, 17) is empty beside the live (2, 18)
  const int32_t misses[][2] = {{2, 17}, {-1, 18}, {32, 18}, {20, 32}};
  for (auto [r, c] : misses) EXPECT_FALSE(aimedHit(r, c)) << r << "," << c;
  EXPECT_EQ(countLiveEnemies(), 335);
}

// The display grid is rebuilt only between frames, so a cell killed by an
// earlier shot of the same pass still counts as shown.
TEST_F(HitsTest, EveryHitOfAPassMakesOneToFourBurstsAtTheLandingCell) {
  for (uint32_t d : {0u, 3u, 6u}) {
    resetLetters();
    placeLevel(-5, 7);  // A row 20 is live over columns 6..25
    effectList.clear();
    scriptRandom({d});
    playerShots = {ShotRecord{15, 27, -0.1f}, ShotRecord{15, 27, -0.1f}};
    updatePlayerShots(0.1f);
    EXPECT_TRUE(playerShots.empty());
    const auto bursts = effectsOf<gfxTaskExplosion>();
    ASSERT_EQ(bursts.size(), 2 * (1 + (d & 3u))) << "draw " << d;
    for (const gfxTaskExplosion* b : bursts) {
      EXPECT_EQ(b->centre.x, 27.0f);
      EXPECT_EQ(b->centre.y, 15.0f);
      EXPECT_EQ(b->glyph, 'a');
    }
  }
}

TEST_F(HitsTest, AreaHitDrawsOnlyForLiveCellsOfTheDisc) {
  checkerboard();  // 13 of the 29 cells of a radius-3 disc around (10, 10)
  placeLevel(0, 0);
  const int32_t live = countLiveEnemies();
  countRandom(1u);
  EXPECT_TRUE(areaHit(10, 10, 3.0f, -1.0f));
  EXPECT_EQ(scripted::draws, 0u);
  EXPECT_EQ(countLiveEnemies(), live - 13);

  checkerboard();
  countRandom(1u);
  EXPECT_FALSE(areaHit(10, 10, 3.0f, 0.0f));
  EXPECT_EQ(scripted::draws, 13u);
  EXPECT_EQ(countLiveEnemies(), live);

  // Chance 0.2: the k-th live cell of the disc in row-major order dies when
  // the k-th draw is below 0.2.
  countRandom(1u);
  RandomSource replay = randomSource;
  EXPECT_TRUE(areaHit(10, 10, 6.0f, 0.2f));
  int kills = 0;
  for (int i = 4; i <= 16; ++i) {
    for (int j = 4; j <= 16; ++j) {
      if ((i + j) % 2 != 0 || (i - 10) * (i - 10) + (j - 10) * (j - 10) >= 36) continue;
      const bool dies = static_cast<float>(nextRandom(replay) * 2.3283064365386963e-10) < 0.2f;
      kills += dies;
      EXPECT_EQ(cell(i, j), !dies) << i << "," << j;
    }
  }
  EXPECT_EQ(scripted::draws, 57u);
  EXPECT_EQ(countLiveEnemies(), live - kills);
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
    EXPECT_EQ(killed(), count) << r << "," << c;
  }
  EXPECT_EQ(cell(9, 31) + cell(10, 31) + cell(11, 31), 3);  // after the landing at column 0
  EXPECT_FALSE(aimedHit(-20 + 32, 30 + 10));
}

TEST_F(HitsTest, PowerUpKillsEverythingWithinEightCellsInEitherMode) {
  for (bool aimed : {true, false}) {
    fillLevel(1);
    levelGrid[gridSize * 16 + 16] = 0;  // an aimed shot would miss here
    placeLevel(0, 0);
    powerUpActive = true;
    combatParams.aimedMode = aimed;
    combatParams.killChance = 0.0f;  // a spread shot would kill nothing
    playerShots = {ShotRecord{16, 16, -0.1f}};
    updatePlayerShots(0.1f);
    EXPECT_EQ(killed(), 193) << (aimed ? "aimed" : "spread");
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
  EXPECT_EQ(levelGrid, letterGrids[1]);
  EXPECT_EQ(initialEnemyCount, 415);
  // B cells (0,7) (0,8) (1,6) (1,7) (1,8) lie within distance 2 of (0, 7).
  EXPECT_EQ(countLiveEnemies(), 410);
  const auto bursts = effectsOf<gfxTaskExplosion>();
  ASSERT_EQ(bursts.size(), 2u);
  EXPECT_EQ(bursts[0]->glyph, 'a');
  EXPECT_EQ(bursts[1]->glyph, 'b');
  EXPECT_TRUE(playerShots.empty());
}
