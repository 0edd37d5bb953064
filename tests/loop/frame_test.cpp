#include <algorithm>
#include <cstdlib>
#include <vector>

#include "game/gfx/effect_list.h"
#include "game/gfx/shake.h"
#include "game/gfx/text.h"
#include "game/loop/powerup.h"
#include "game/loop/state.h"
#include "game/world/shots.h"
#include "support/frame_fixture.h"

namespace {

InputState keys(bool w, bool space, bool q) {
  InputState s;
  s.w = w;
  s.space = space;
  s.q = q;
  return s;
}

InputState motion(int dx, int dy) {
  InputState s;
  s.dx = dx;
  s.dy = dy;
  return s;
}

int countShakes() {
  return static_cast<int>(std::count_if(effectList.begin(), effectList.end(), [](const auto& task) {
    return dynamic_cast<gfxShake*>(task.get()) != nullptr;
  }));
}

const gfxText* lastText() {
  const gfxText* found = nullptr;
  for (const auto& task : effectList)
    if (auto* text = dynamic_cast<const gfxText*>(task.get())) found = text;
  return found;
}

}  // namespace

TEST_F(FrameTest, QuitInTheFirstFrameDrawsNothing) {
  start();
  EXPECT_FALSE(frame(0.001f, keys(false, false, true)));
  EXPECT_EQ(countChar('+'), 0);
  EXPECT_EQ(countChar('-'), 0);

  start();
  InputState ctrlC;
  ctrlC.quit = true;
  EXPECT_FALSE(frame(0.001f, ctrlC));
}

TEST_F(FrameTest, AFrameShowsFrameCrosshairAndLetter) {
  start();
  ASSERT_TRUE(frame(0.001f));
  EXPECT_EQ(cellAt(12, 40).ch, '+');
  EXPECT_EQ(cellAt(0, 0).ch, '\\');
  EXPECT_EQ(cellAt(0, 1).ch, '-');
  EXPECT_EQ(cellAt(5, 0).ch, '|');
}

TEST_F(FrameTest, HitsOfOneFrameCostHealthOnceAndStartOneShake) {
  start();
  ASSERT_TRUE(frame(0.001f));
  hitsTaken = 2;
  ASSERT_TRUE(frame(0.001f));
  EXPECT_FLOAT_EQ(playerHealth, 0.95f);
  EXPECT_EQ(hitsTaken, 0);
  EXPECT_EQ(countShakes(), 1);
  EXPECT_TRUE(shakeActive);
}

TEST_F(FrameTest, EnemyFireTimer) {
  // A frame of several seconds releases one shot, not one per interval.
  start();
  ASSERT_TRUE(frame(30.0f));
  EXPECT_EQ(enemyShots.size(), 1u);
  EXPECT_GE(enemyFireTimer, 5.0f);

  // Landing exactly on 0 is not below it.
  start();
  ASSERT_TRUE(frame(5.0f));
  EXPECT_EQ(enemyShots.size(), 0u);
  EXPECT_EQ(enemyFireTimer, 0.0f);
  ASSERT_TRUE(frame(0.001f));
  EXPECT_EQ(enemyShots.size(), 1u);
}

TEST_F(FrameTest, HoldingWAddsABurstEveryFrame) {
  start();
  ASSERT_TRUE(frame(0.001f));
  size_t before = effectList.size();
  ASSERT_TRUE(frame(0.001f, keys(true, false, false)));
  EXPECT_EQ(effectList.size(), before + 4);
  ASSERT_TRUE(frame(0.001f, keys(true, false, false)));
  EXPECT_EQ(effectList.size(), before + 8);
}

TEST_F(FrameTest, MouseLook) {
  start();
  ASSERT_TRUE(frame(0.001f, motion(3, -2)));
  EXPECT_EQ(viewCol, -3);  // right turns the view right: the world moves left
  EXPECT_EQ(viewRow, 2);
  ASSERT_TRUE(frame(0.001f, motion(500, -500)));
  EXPECT_EQ(viewCol, -120);
  EXPECT_EQ(viewRow, 120);
  ASSERT_TRUE(frame(0.001f, motion(-2147483647, 2147483647)));
  EXPECT_EQ(viewCol, 120);
  EXPECT_EQ(viewRow, -120);

  // Motion made during a shake is lost, not saved for later.
  start();
  makeShake(2.0f);
  ASSERT_TRUE(frame(0.001f, motion(10, 10)));
  EXPECT_TRUE(shakeActive);
  EXPECT_LE(std::abs(viewCol), 4);
  EXPECT_LE(std::abs(viewRow), 4);
}

TEST_F(FrameTest, SpaceHeldFiresAtOnceThenOncePerInterval) {
  start();
  // 0.25 s frames against the 1.0 s interval: the cooldown lands exactly on
  // 0 in frame 4, which does not fire; frame 6 does.
  std::vector<size_t> shots;
  for (int i = 0; i < 11; ++i) {
    ASSERT_TRUE(frame(0.25f, keys(false, true, false)));
    shots.push_back(playerShots.size());
  }
  EXPECT_EQ(shots, (std::vector<size_t>{1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3}));
  // Every shot takes the world cell under the crosshair.
  EXPECT_EQ(playerShots.front().row, 12);
  EXPECT_EQ(playerShots.front().col, 40);
}

TEST_F(FrameTest, PowerUpPickUpSquare) {
  // The start marker stands at world cell (0, 0); the crosshair is (12, 40).
  start();
  viewRow = 8;  // 4 rows away: not taken
  viewCol = 40;
  ASSERT_TRUE(frame(0.001f));
  EXPECT_FALSE(powerUpActive);
  EXPECT_GT(powerUpMarkerTime, 0.0f);

  viewRow = 9;  // 3 rows away: taken, no shot needed
  ASSERT_TRUE(frame(0.001f));
  EXPECT_TRUE(powerUpActive);
  EXPECT_EQ(powerUpMarkerTime, -1.0f);
  ASSERT_NE(lastText(), nullptr);
  EXPECT_EQ(lastText()->text, "GunOfKravoDeath: 10.000000s");
  EXPECT_EQ(lastText()->y, 2);

  // Ten seconds later it ends and no countdown follows.
  for (int i = 0; i < 11 && powerUpActive; ++i) ASSERT_TRUE(frame(1.0f));
  EXPECT_FALSE(powerUpActive);
  EXPECT_EQ(powerUpTimeLeft, 10.0f);
  const gfxText* last = lastText();
  ASSERT_TRUE(frame(0.001f));
  EXPECT_EQ(lastText(), last);
}
