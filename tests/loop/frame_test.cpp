#include <cstdlib>
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
