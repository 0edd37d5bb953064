#include "game/gfx/explosion.h"
#include "gfx_fixture.h"

using BurstTest = GfxTest;

namespace {

const float up = 1.5707964f, left = 3.1415927f, down = 4.712389f, right = 6.2831855f;

}  // namespace

TEST_F(BurstTest, AnglesComeFromOneDrawEach) {
  script({0u, 2147483648u, 4294967295u});
  gfxTaskFireworks burst(Vec2{0.0f, 0.0f}, 'f', 1, 40.0f);
  EXPECT_EQ(draws(), 30);
  EXPECT_EQ(burst.angles[0], up);
  EXPECT_EQ(burst.angles[1], static_cast<float>(0.5 * 6.283185601234436 + 1.5707963705062866));
  EXPECT_EQ(burst.angles[2], static_cast<float>(6.283185601234436 + 1.5707963705062866));
}

TEST_F(BurstTest, EarlyFramesShowOneGlyphAtTheMovedCentre) {
  viewRow = 3;
  viewCol = -4;
  makeExplosion(1, 'a', false, true, Vec2i{10, 5});
  makeFireworks(2, 'b', false, true, Vec2i{30, 6});
  updateEffects(0.04f);  // radius below 1
  EXPECT_EQ(countChar('a'), 1);
  EXPECT_EQ(cellAt(8, 6).ch, 'a');
  EXPECT_EQ(cellAt(8, 6).pair, 6);
  EXPECT_EQ(cellAt(9, 26).pair, 10);  // second fireworks colour drawn last
}

TEST_F(BurstTest, RingMovesBendsAndClips) {
  gfxTaskExplosion burst(Vec2{2.0f, 12.0f}, '*', 2, 40.0f);
  burst.angles.assign(15, left);
  burst.angles.resize(30, right);
  burst.angles[29] = down;
  burst.angles[28] = up;
  burst.angles[27] = 4.7f;
  burst.update(0.25f);  // step 10 cells
  EXPECT_EQ(cellAt(12, 12).ch, '*');  // right half on screen, left half at -8 skipped
  EXPECT_EQ(cellAt(12, 12).pair, 7);
  EXPECT_EQ(cellAt(22, 2).ch, '*');  // straight down
  EXPECT_EQ(cellAt(21, 2).ch, '*');  // nearly down, each term truncated
  EXPECT_EQ(cellAt(2, 2).ch, '*');   // straight up
  EXPECT_EQ(countChar('*'), 4);
  EXPECT_FLOAT_EQ(burst.offsets[0].x, -10.0f);  // offset from the angle before the bend
  EXPECT_FLOAT_EQ(burst.angles[0], left + 0.5f);
  EXPECT_FLOAT_EQ(burst.angles[15], right - 0.5f);
  EXPECT_EQ(burst.angles[29], down);
  EXPECT_FLOAT_EQ(burst.angles[28], up + 0.5f);
  EXPECT_NEAR(burst.angles[27], 4.7f, 1e-6f);  // carried past down, then taken back
}

TEST_F(BurstTest, FinishesOnceTheDistanceIsUsedUp) {
  gfxTaskExplosion burst(Vec2{40.0f, 0.0f}, '*', 1, 32.0f);
  burst.remaining = 48.0f;
  burst.update(1.5f);
  EXPECT_FALSE(burst.finished);
  burst.update(0.001f);
  EXPECT_TRUE(burst.finished);
  burst.update(1.0e30f);  // an absurd step must stay well defined
}
