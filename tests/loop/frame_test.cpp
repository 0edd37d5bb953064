#include <cstdlib>
#include <string>
#include <vector>

#include "fixtures/frame_fixture.h"
#include "game/gfx/factories.h"
#include "game/gfx/shake.h"
#include "game/gfx/text.h"
#include "game/loop/powerup.h"
#include "game/loop/state.h"
#include "game/world/shots.h"

namespace {

InputState motion(int dx, int dy) { return InputState{false, false, false, 0, false, false, dx, dy}; }
InputState arrows(int turnX, int turnY) {
  InputState input;
  input.turnX = turnX;
  input.turnY = turnY;
  return input;
}

// The frame's fixed parts for the console's size now.
void expectWholeFrame(int rows, int cols) {
  const std::string where = std::to_string(rows) + "x" + std::to_string(cols);
  ASSERT_EQ(screenRows, rows) << where;
  ASSERT_EQ(screenCols, cols) << where;
  EXPECT_EQ(FrameTest::cellAt(rows / 2, cols / 2).ch, '+') << where;
  if (rows < 2 || cols < 2) return;  // the crosshair covers the corner
  EXPECT_EQ(FrameTest::cellAt(0, 0).ch, '\\') << where;
  EXPECT_EQ(FrameTest::cellAt(rows - 1, cols - 1).ch, '\\') << where;
  if (rows < 6 || cols < 6) return;
  EXPECT_EQ(FrameTest::cellAt(rows - 1, 0).ch, '/') << where;
  EXPECT_EQ(FrameTest::rowText(0), "\\" + std::string(static_cast<size_t>(cols - 2), '-') + "/") << where;
  EXPECT_EQ(FrameTest::cellAt(rows / 2, cols - 1).ch, '|') << where;
  EXPECT_EQ(FrameTest::cellAt(2, cols - 3).pair, 9) << where;  // enemies-left bar at the right side
  EXPECT_EQ(FrameTest::cellAt(2, 2).pair, 8) << where;         // health bar
}

}  // namespace

TEST_F(FrameTest, QuitCtrlCOrHangupInTheFirstFrameDrawsNothing) {
  for (InputState quit : {InputState{false, false, true}, InputState{false, false, false, 2},
                          InputState{false, false, false, 0, false, true}}) {
    start();
    EXPECT_FALSE(frame(0.001f, quit));
    EXPECT_EQ(countChar('+'), 0);
  }
}

TEST_F(FrameTest, HitsOfOneFrameCostHealthOnceAndEnemiesFireOncePerLongFrame) {
  start();
  hitsTaken = 2;
  ASSERT_TRUE(frame(0.001f));
  EXPECT_FLOAT_EQ(playerHealth, 0.95f);
  EXPECT_EQ(hitsTaken, 0);
  EXPECT_EQ(tasksOf<gfxShake>().size(), 1u);
  start();
  ASSERT_TRUE(frame(30.0f));  // a long frame releases one shot, not six
  EXPECT_EQ(enemyShots.size(), 1u);
  start();
  ASSERT_TRUE(frame(5.0f));  // exactly 0 is not below it
  EXPECT_EQ(enemyShots.size(), 0u);
}

TEST_F(FrameTest, MouseLookTurnsClampsAndPausesInAShake) {
  start();
  ASSERT_TRUE(frame(0.001f, motion(3, -2)));
  EXPECT_EQ(viewCol, -3);  // right turns the view right: the world moves left
  EXPECT_EQ(viewRow, 2);
  ASSERT_TRUE(frame(0.001f, motion(-2147483647, 2147483647)));
  EXPECT_EQ(viewCol, 120);
  EXPECT_EQ(viewRow, -120);
  makeShake(2.0f);  // motion made during a shake is lost, not saved
  ASSERT_TRUE(frame(0.001f, motion(100, 100)));
  EXPECT_LE(std::abs(viewCol - 120), 4);
}

TEST_F(FrameTest, SpaceHeldFiresAtOnceThenOncePerInterval) {
  start();
  // 0.25 s frames against the 1.0 s interval: the cooldown lands exactly on
  // 0 in frame 4, which does not fire; frame 6 does.
  std::vector<size_t> shots;
  for (int i = 0; i < 11; ++i) {
    ASSERT_TRUE(frame(0.25f, InputState{false, true}));
    shots.push_back(playerShots.size());
  }
  EXPECT_EQ(shots, (std::vector<size_t>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3}));
  EXPECT_EQ(playerShots.front().row, 12);  // the cell under the crosshair
  EXPECT_EQ(playerShots.front().col, 40);
}

TEST_F(FrameTest, PowerUpTakenWithinThreeRowsCountsDownAndEnds) {
  start();      // the first marker stands at world cell (0, 0); the crosshair at (12, 40)
  viewRow = 8;  // 4 rows away: not taken
  viewCol = 40;
  ASSERT_TRUE(frame(0.001f));
  EXPECT_FALSE(powerUpActive);
  viewRow = 9;  // 3 rows away: taken, no shot needed
  ASSERT_TRUE(frame(0.001f));
  EXPECT_TRUE(powerUpActive);
  EXPECT_EQ(tasksOf<gfxText>().back()->text, "GunOfKravoDeath: 10.000000s");
  for (int i = 0; i < 11 && powerUpActive; ++i) ASSERT_TRUE(frame(1.0f));
  EXPECT_FALSE(powerUpActive);
  ASSERT_TRUE(frame(0.001f));
  EXPECT_TRUE(tasksOf<gfxText>(true).empty());  // no further countdown
}

// The terminal is resized between frames (the output step resizes curses):
// the next frame fills the new size, aims at the same world cell and fires
// at it, and streams the stars from the new centre.
TEST_F(FrameTest, APictureFollowsEveryResizeAndKeepsTheAim) {
  start();
  ASSERT_TRUE(frame(0.001f, motion(7, -3)));
  const int32_t aimRow = screenRows / 2 - viewRow, aimCol = screenCols / 2 - viewCol;
  const int sizes[][2] = {{30, 100}, {20, 60}, {1, 1}, {2, 3}, {12, 200}, {25, 80}, {61, 181}};
  for (auto [rows, cols] : sizes) {
    resizeterm(rows, cols);
    ASSERT_TRUE(frame(0.001f)) << rows << "x" << cols;
    expectWholeFrame(rows, cols);
    EXPECT_EQ(screenRows / 2 - viewRow, aimRow) << rows << "x" << cols;
    EXPECT_EQ(screenCols / 2 - viewCol, aimCol) << rows << "x" << cols;
    EXPECT_EQ(starField->centre.x, static_cast<float>(cols / 2));
    EXPECT_EQ(starField->centre.y, static_cast<float>(rows / 2));
  }
  ASSERT_TRUE(frame(0.001f, InputState{false, true}));
  ASSERT_FALSE(playerShots.empty());
  EXPECT_EQ(playerShots.back().row, aimRow);
  EXPECT_EQ(playerShots.back().col, aimCol);
}

// A shake puts back the view it saved: after a resize it puts back one that
// aims where the player aimed. Beyond the view's limit the aim comes as
// near as the limit allows.
TEST_F(FrameTest, AResizeDuringAShakeOrAtTheViewLimit) {
  start();
  ASSERT_TRUE(frame(0.001f, motion(5, 2)));
  const int32_t aimRow = 12 - viewRow, aimCol = 40 - viewCol;
  makeShake(0.1f);
  resizeterm(40, 120);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(frame(0.05f));
  ASSERT_FALSE(shakeActive);
  EXPECT_EQ(20 - viewRow, aimRow);
  EXPECT_EQ(60 - viewCol, aimCol);
  ASSERT_TRUE(frame(0.001f, motion(-1000, 0)));  // view at 120
  resizeterm(40, 300);
  ASSERT_TRUE(frame(0.001f));
  EXPECT_EQ(viewCol, 120);
}

// Arrow turns move the view as pointer motion does, and also during a
// shake, which then settles on the turned view; they fire nothing.
TEST_F(FrameTest, ArrowTurnsMoveTheViewAlsoInAShake) {
  start();
  ASSERT_TRUE(frame(0.001f, arrows(1, -1)));
  EXPECT_EQ(viewCol, -1);
  EXPECT_EQ(viewRow, 1);
  makeShake(0.1f);
  ASSERT_TRUE(frame(0.001f, arrows(3, 2)));
  EXPECT_EQ(shakeSavedCol, -4);
  EXPECT_EQ(shakeSavedRow, -1);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(frame(0.05f));
  ASSERT_FALSE(shakeActive);
  EXPECT_EQ(viewCol, -4);
  EXPECT_EQ(viewRow, -1);
  EXPECT_TRUE(playerShots.empty());
}

// Resized during the intro: the game starts on the new size with the view
// it always starts with.
TEST_F(FrameTest, AGameStartsOnTheSizeOfItsStart) {
  resizeterm(40, 100);
  start();
  ASSERT_TRUE(frame(0.001f));
  EXPECT_EQ(viewRow, 0);
  EXPECT_EQ(viewCol, 0);
  expectWholeFrame(40, 100);
  EXPECT_EQ(starField->centre.x, 50.0f);
}
