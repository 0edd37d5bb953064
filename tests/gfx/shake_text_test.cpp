#include "game/gfx/shake.h"
#include "game/gfx/text.h"
#include "gfx_fixture.h"

using ShakeTest = GfxTest;
using TextTest = GfxTest;

TEST_F(ShakeTest, OffsetRangeFollowsTheRemainingTime) {
  struct Case { float remaining; int rowShift; int colShift; };
  // r1 = 0xFFFFFFFF taken unsigned (a signed -1 would shift by -1 - a); r2 = 0 gives -a.
  const Case cases[] = {{1.8f, 4, -3}, {1.2f, 1, -2}, {0.6f, 2, -1}, {0.3f, 1, 0}, {0.0f, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remaining);
    viewRow = 10;
    viewCol = 20;
    gfxShake shake;
    EXPECT_TRUE(shakeActive);
    shake.remaining = c.remaining + 0.125f;
    script({0xFFFFFFFFu, 0u});
    shake.update(0.125f);
    EXPECT_EQ(viewRow, 10 + c.rowShift);
    EXPECT_EQ(viewCol, 20 + c.colShift);
  }
}

TEST_F(ShakeTest, OverlappingShakesLeaveTheSecondsSavedView) {
  viewRow = 10;
  viewCol = 20;
  script({7u, 7u});  // remaining 0.75: a = 1, 7 mod 4 - 1 = +2
  makeShake(1.0f);
  updateEffects(0.5f);
  ASSERT_EQ(viewRow, 12);
  ASSERT_EQ(viewCol, 22);
  makeShake(2.0f);
  EXPECT_EQ(shakeSavedRow, 12);
  script({});
  updateEffects(2.0f);  // first ends, second still runs
  EXPECT_TRUE(effectList.front()->finished);
  EXPECT_FALSE(shakeActive);
  EXPECT_EQ(draws(), 2);  // only the second drew
  removeFinishedEffects();
  updateEffects(4.0f);
  EXPECT_TRUE(effectList.front()->finished);
  EXPECT_EQ(viewRow, 12);
  EXPECT_EQ(viewCol, 22);
}

TEST_F(TextTest, ClippedPerCharacterAndFixedToTheScreen) {
  viewRow = 4;
  viewCol = 4;
  makeText("HELLO", 4, 1.0f, Vec2i{77, 3});
  makeText("ABCDE", 1, 1.0f, Vec2i{-2, 0});
  makeText("gone", 1, 1.0f, Vec2i{0, -1});
  makeText("gone", 1, 1.0f, Vec2i{0, 25});
  makeText(std::string(1, '\xE9'), 2, 1.0f, Vec2i{10, 10});
  updateEffects(0.1f);
  EXPECT_EQ(rowText(3).substr(77), "HEL");
  EXPECT_EQ(cellAt(3, 79).pair, 4);
  EXPECT_EQ(rowText(4), std::string(80, ' '));
  EXPECT_EQ(rowText(0).substr(0, 4), "CDE ");
  EXPECT_EQ(countChar('g'), 0);
  EXPECT_EQ(cellAt(10, 10).pair, 2);  // a high byte does not spill into the attributes
}
