#include <string>

#include "game/gfx/cloud.h"
#include "game/gfx/explosion.h"
#include "game/gfx/factories.h"
#include "game/gfx/shake.h"
#include "game/gfx/stars.h"
#include "game/gfx/text.h"
#include "gfx_fixture.h"

constexpr float up = 1.5707964f, left = 3.1415927f, down = 4.712389f, right = 6.2831855f;

TEST_F(GfxTest, SortKeepsOrderWhenNewTasksJoinALongSortedList) {
  const std::string texts = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX";
  for (char ch : texts) makeText(std::string(1, ch), 1, 9.0f, Vec2i{0, 0});
  makeExplosion(1, '1', false, false, Vec2i{0, 0});
  sortEffects();
  makeExplosion(1, '2', false, false, Vec2i{0, 0});
  makeText("Z", 1, 1.0f, Vec2i{0, 0});
  makeExplosion(1, '3', false, false, Vec2i{0, 0});
  sortEffects();
  std::string order;  // bursts (layer 7) before texts (666), equal layers as made
  for (const auto& task : effectList) {
    auto* text = dynamic_cast<gfxText*>(task.get());
    order += text ? text->text : std::string(1, dynamic_cast<gfxBurst&>(*task).glyph);
  }
  EXPECT_EQ(order, "123" + texts + "Z");
}

TEST_F(GfxTest, FactoriesMakeBurstsThenCloud) {
  makeFireworks(0, 'f', true, true, Vec2i{3, 4});
  makeFireworks(-2, 'f', true, true, Vec2i{3, 4});
  EXPECT_EQ(effectList.size(), 2u);  // a cloud alone from each
  resetEffects();
  makeFireworks(6, 'f', true, true, Vec2i{3, 4});  // past the fourth, the fourth repeats
  ASSERT_EQ(effectList.size(), 7u);
  const int colours[] = {1, 2, 3, 4, 4, 4};
  const float speeds[] = {40.0f, 34.0f, 28.0f, 22.0f, 22.0f, 22.0f};
  auto it = effectList.begin();
  for (int i = 0; i < 6; ++i, ++it) {
    auto& burst = dynamic_cast<gfxTaskFireworks&>(**it);
    EXPECT_EQ(burst.colour, colours[i]) << i;
    EXPECT_EQ(burst.speed, speeds[i]) << i;
  }
}

TEST_F(GfxTest, TextClippedAndFinishingOnlyBelowZero) {
  viewRow = viewCol = 4;  // texts are fixed to the screen
  makeText("HELLO", 4, 0.25f, Vec2i{77, 3});
  makeText("ABCDE", 1, 1.0f, Vec2i{-2, 0});
  for (int row : {-1, 25}) makeText("gone", 1, 1.0f, Vec2i{0, row});
  makeText(std::string(1, '\xE9'), 2, 1.0f, Vec2i{10, 10});
  updateEffects(0.5f);  // effects get half the frame time: HELLO's remaining exactly 0
  EXPECT_EQ(rowText(3).substr(77), "HEL");
  EXPECT_EQ(rowText(0).substr(0, 4), "CDE ");
  EXPECT_EQ(countChar('g'), 0);
  EXPECT_EQ(cellAt(10, 10).pair, 2);  // a high byte does not spill into the attributes
  EXPECT_FALSE(effectList.front()->finished);
  removeFinishedEffects();
  ASSERT_EQ(effectList.size(), 5u);
  clear();
  updateEffects(0.01f);
  EXPECT_TRUE(effectList.front()->finished);
  EXPECT_EQ(rowText(3).substr(77), "HEL");  // the finishing update still draws
  removeFinishedEffects();
  EXPECT_EQ(effectList.size(), 4u);
}

TEST_F(GfxTest, OverlappingShakesLeaveTheSecondsSavedView) {
  viewRow = viewCol = 10;
  // remaining 0.75: a = 1; 0xFFFFFFFF taken unsigned, mod 4 - 1 = +2
  script({0xFFFFFFFFu, 0xFFFFFFFFu});
  makeShake(1.0f);
  updateEffects(0.5f);
  makeShake(2.0f);  // saves the shaken view
  script({});
  updateEffects(2.0f);  // first ends, second still runs
  EXPECT_FALSE(shakeActive);
  EXPECT_EQ(draws, 2);  // only the second drew
  updateEffects(4.0f);
  EXPECT_EQ(viewRow, 12);
  EXPECT_EQ(viewCol, 12);
}

TEST_F(GfxTest, RandomDrawOrderOfBurstsStarsAndCloud) {
  // A burst: one direction per particle, pi/2 + u x 2pi worked in double.
  script({0u, 2147483648u, 7776458u});
  gfxTaskFireworks burst(Vec2{0.0f, 0.0f}, 'f', 1, 40.0f);
  EXPECT_EQ(draws, 30);
  EXPECT_EQ(burst.angles[1], static_cast<float>(0.5 * 6.283185601234436 + 1.5707963705062866));
  EXPECT_EQ(burst.angles[2], 1.58217275f);  // 1.58217263f if worked in float
  // Stars: angle, then distance, star by star.
  script({0u, 2147483648u, 2147483648u, 0u});
  gfxStars stars(Vec2{40.0f, 12.0f}, 40.0f);
  EXPECT_EQ(draws, 120);
  EXPECT_EQ(stars.distances[0], 40.0f);
  EXPECT_EQ(stars.angles[1], burst.angles[1]);
  // A cloud: distance 8 x 0.4375 = 3.5, then angle 0.25 x 2pi - pi = straight down.
  viewCol = 2;
  script({1879048192u, 1073741824u});
  gfxRandCloud cloud(Vec2{20.9f, 10.7f}, 8.0f, 'c', 3, 1);
  cloud.update(0.1f);
  EXPECT_EQ(draws, 2);
  EXPECT_EQ(cellAt(13, 22).ch, 'c');  // trunc(10.7) - trunc(-3.5), not trunc(14.2)
}

TEST_F(GfxTest, BurstStartsOnTheCentreThenMovesBendsClipsAndFinishes) {
  viewRow = 1;
  gfxTaskExplosion burst(Vec2{2.0f, 11.0f}, '*', 2, 32.0f);
  burst.update(0.015625f);  // radius 0.5: every particle on the moved centre
  EXPECT_EQ(countChar('*'), 1);
  EXPECT_EQ(cellAt(12, 2).pair, 7);
  erase();
  burst.angles.assign(15, left);
  burst.angles.resize(30, right);
  burst.angles[29] = down;
  burst.angles[28] = 4.7f;
  burst.remaining = 9.5f;
  burst.update(0.296875f);  // step 9.5: radius 10, remaining exactly 0
  EXPECT_FALSE(burst.finished);
  EXPECT_EQ(cellAt(12, 12).ch, '*');  // right half on screen, left half at -8 skipped
  EXPECT_EQ(cellAt(22, 2).ch, '*');   // straight down
  EXPECT_EQ(cellAt(21, 2).ch, '*');   // nearly down, each term truncated
  EXPECT_EQ(countChar('*'), 3);
  EXPECT_FLOAT_EQ(burst.angles[0], left + 0.475f);  // bent by 0.05 x the step
  EXPECT_EQ(burst.angles[29], down);
  EXPECT_NEAR(burst.angles[28], 4.7f, 1e-6f);  // carried past down, then taken back
  burst.update(1.0e30f);                       // an absurd step must stay well defined
  EXPECT_TRUE(burst.finished);
}

TEST_F(GfxTest, StarPassingTwiceTheRadiusRestartsAtTheCentre) {
  viewRow = 5;  // the star field ignores the view
  gfxStars stars(Vec2{40.0f, 12.0f}, 40.0f);
  stars.angles.assign(60, up);
  stars.distances.assign(60, 70.0f);
  stars.distances[0] = 79.5f;
  stars.distances[1] = 78.0f;
  stars.update(0.05f);                   // two cells: 81.5 starts again from 0, not from 1.5
  EXPECT_EQ(stars.distances[1], 80.0f);  // only past 80 restarts
  EXPECT_EQ(cellAt(12, 40).ch, '.');
}
