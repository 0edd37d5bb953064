#include <cstdlib>
#include <memory>

#include "game/gfx/cloud.h"
#include "game/gfx/stars.h"
#include "gfx_fixture.h"

using StarsTest = GfxTest;
using CloudTest = GfxTest;

TEST_F(StarsTest, EachStarDrawsAngleThenDistance) {
  script({0u, 2147483648u, 2147483648u, 0u});
  gfxStars stars(Vec2{40.0f, 12.0f}, 40.0f);
  EXPECT_EQ(draws(), 120);
  EXPECT_EQ(stars.angles[0], 1.5707964f);
  EXPECT_EQ(stars.distances[0], 40.0f);
  EXPECT_GT(stars.angles[1], 4.7f);
  EXPECT_EQ(stars.distances[1], 0.0f);
  EXPECT_EQ(stars.layer, 1);
}

TEST_F(StarsTest, StarPassingTwiceTheRadiusRestartsAtTheCentre) {
  openScreen(25, 81);
  viewRow = 5;  // the star field ignores the view
  gfxStars stars(Vec2{static_cast<float>(screenCols / 2), static_cast<float>(screenRows / 2)}, 40.0f);
  stars.angles.assign(60, 1.5707964f);
  stars.distances.assign(60, 70.0f);
  stars.distances[0] = 79.5f;
  stars.distances[1] = 79.0f;
  stars.update(0.025f);  // one cell
  EXPECT_EQ(stars.distances[0], 0.0f);
  EXPECT_EQ(stars.distances[1], 80.0f);  // only past 80 restarts
  EXPECT_EQ(cellAt(12, 40).ch, '.');
  EXPECT_EQ(cellAt(12, 40).pair, 5);
  EXPECT_EQ(countChar('.'), 1);
  stars.update(1000.0f);
  EXPECT_FALSE(stars.finished);
  EXPECT_EQ(stars.remaining, 6.0f);
}

TEST_F(CloudTest, DistanceThenAngleEachTermTruncated) {
  viewCol = 2;
  viewRow = 1;
  // distance 8 x 0.1875 = 1.5, angle 0.25 x 2pi - pi = straight down
  script({805306368u, 1073741824u});
  gfxRandCloud cloud(Vec2{20.9f, 10.7f}, 8.0f, 'c', 3, 1);
  cloud.update(0.1f);
  EXPECT_EQ(cellAt(10 + 1 + 1, 20 + 2).ch, 'c');  // trunc(10.7) - trunc(-1.5), not trunc(12.2)
  EXPECT_EQ(cellAt(12, 22).pair, 3);
  EXPECT_EQ(draws(), 2);
}

TEST_F(CloudTest, StaysWithinItsRadiusAndEndsOnTime) {
  for (int count : {0, 50}) {
    resetEffects();
    clear();
    effectList.push_back(std::make_unique<gfxRandCloud>(Vec2{40.0f, 12.0f}, 8.0f, 'c', 2, count));
    effectList.back()->remaining = 0.3f;
    updateEffects(0.4f);
    EXPECT_FALSE(effectList.back()->finished);
    int far = 0;
    for (int r = 0; r < 25; ++r)
      for (int c = 0; c < 80; ++c)
        if (cellAt(r, c).ch == 'c' && (std::abs(r - 12) > 8 || std::abs(c - 40) > 8)) ++far;
    EXPECT_EQ(far, 0);
    EXPECT_EQ(countChar('c') > 0, count > 0);
    updateEffects(0.4f);
    EXPECT_TRUE(effectList.back()->finished);
  }
}
