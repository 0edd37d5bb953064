#include <string>

#include "game/gfx/explosion.h"
#include "game/gfx/factories.h"
#include "game/gfx/shake.h"
#include "game/gfx/text.h"
#include "world/world_fixture.h"

using GfxTest = WorldTest;

constexpr float left = 3.1415927f, down = 4.712389f, right = 6.2831855f;

// Only the tasks made since the last sort are sorted, then merged into the
// sorted front: equal layers must still keep the order they were made in.
TEST_F(GfxTest, SortKeepsOrderWhenNewTasksJoinASortedList) {
  for (char ch : std::string("abc")) makeText(std::string(1, ch), 1, 9.0f, Vec2i{0, 0});
  makeExplosion(1, '1', false, false, Vec2i{0, 0});
  sortEffects();
  makeExplosion(1, '2', false, false, Vec2i{0, 0});
  makeText("Z", 1, 1.0f, Vec2i{0, 0});
  makeExplosion(1, '3', false, false, Vec2i{0, 0});
  sortEffects();
  std::string order;  // bursts (layer 7) before texts (666)
  for (const auto& task : effectList) {
    auto* text = dynamic_cast<gfxText*>(task.get());
    order += text ? text->text : std::string(1, dynamic_cast<gfxBurst&>(*task).glyph);
  }
  EXPECT_EQ(order, "123abcZ");
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
  EXPECT_EQ(countChar('g'), 0);       // rows off the screen
  EXPECT_EQ(cellAt(10, 10).pair, 2);  // a high byte does not spill into the attributes
  removeFinishedEffects();
  ASSERT_EQ(effectList.size(), 5u);
  erase();
  updateEffects(0.01f);
  EXPECT_EQ(rowText(3).substr(77), "HEL");  // the finishing update still draws
  removeFinishedEffects();
  EXPECT_EQ(effectList.size(), 4u);
}

TEST_F(GfxTest, OverlappingShakesLeaveTheSecondsSavedView) {
  viewRow = viewCol = 10;
  // remaining 0.75: a = 1; 0xFFFFFFFF taken unsigned, mod 4 - 1 = +2
  scriptRandom({0xFFFFFFFFu, 0xFFFFFFFFu});
  makeShake(1.0f);
  updateEffects(0.5f);
  makeShake(2.0f);  // saves the shaken view
  scriptRandom({});
  updateEffects(2.0f);  // first ends, second still runs
  EXPECT_FALSE(shakeActive);
  updateEffects(4.0f);
  EXPECT_EQ(viewRow, 12);
  EXPECT_EQ(viewCol, 12);
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
  burst.remaining = 9.5f;
  burst.update(0.296875f);  // step 9.5: radius 10, remaining exactly 0
  EXPECT_FALSE(burst.finished);
  EXPECT_EQ(cellAt(12, 12).ch, '*');  // right half on screen, left half at -8 skipped
  EXPECT_EQ(cellAt(22, 2).ch, '*');   // straight down
  EXPECT_EQ(countChar('*'), 2);
  EXPECT_FLOAT_EQ(burst.angles[0], left + 0.475f);  // bent by 0.05 x the step
  burst.update(1.0e30f);                            // an absurd step must stay well defined
  EXPECT_TRUE(burst.finished);
}
