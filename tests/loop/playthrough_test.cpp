// The whole game, played to the end and beyond by a scripted player through
// the real frame function: every letter in order, the parameters and
// messages between them, the ending four times.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "fixtures/frame_fixture.h"
#include "game/gfx/explosion.h"
#include "game/gfx/text.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/shots.h"
#include "support/scripted_player.h"

namespace {

const char levelGlyphs[] = "ABCDEFGHIJKLMNOPRSTOWYZ";

// fireInterval, shotFlightTime, killRadius, killChance, aimedMode,
// enemyReloadMin, enemyReloadMax in force: each change is seen at least once
// before a later letter sets the same field again.
const std::pair<int, CombatParams> paramsAt[] = {
    {0, {1.0f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f}},    // A
    {1, {0.8f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f}},    // B
    {2, {0.8f, 3.0f, 3.0f, 0.2f, true, 5.0f, 10.0f}},    // C
    {4, {0.7f, 3.0f, 3.0f, 0.2f, true, 4.0f, 10.0f}},    // E: changes on both sides of a message
    {6, {0.7f, 2.0f, 3.0f, 0.2f, false, 4.0f, 10.0f}},   // G: the shotgun
    {8, {0.7f, 2.0f, 3.0f, 0.3f, false, 4.0f, 10.0f}},   // I
    {9, {0.7f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f}},    // J
    {13, {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}},  // N: the best bullets
    {17, {0.2f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}},  // S
    {19, {0.1f, 0.5f, 5.0f, -0.2f, false, 3.5f, 8.0f}},  // O-acute
    {22, {0.1f, 0.5f, 5.0f, -0.2f, false, 1.0f, 6.0f}},  // Z
};
// How many messages clearing each letter shows, on rows 1 and 2.
const char messageCounts[] = "1102110120101000111010";

auto fields(const CombatParams& p) {
  return std::tuple(p.fireInterval, p.shotFlightTime, p.killRadius, p.killChance, p.aimedMode,
                    p.enemyReloadMin, p.enemyReloadMax);
}

int levelIndex() { return static_cast<int>((levelGrid - &letterGrids[0][0]) / (gridSize * gridSize)); }

// Messages of the frame just run, without the power-up's own texts.
std::vector<const gfxText*> newMessages() {
  std::vector<const gfxText*> texts = tasksOf<gfxText>(true);
  texts.erase(
      std::remove_if(texts.begin(), texts.end(),
                     [](const gfxText* t) { return t->text.find("GunOfKravoDeath") != std::string::npos; }),
      texts.end());
  return texts;
}

class PlayThrough : public FrameTest {
protected:
  void expectLevel(int level) {
    SCOPED_TRACE(std::string("level ") + levelGlyphs[level]);
    EXPECT_EQ(enemyGlyph, levelGlyphs[level]);
    EXPECT_EQ(debrisGlyph, levelGlyphs[level] - 'A' + 'a');
    for (const auto& [at, want] : paramsAt) {
      if (at == level) {
        EXPECT_EQ(fields(combatParams), fields(want));
      }
    }
  }

  void expectMessages(int cleared) {
    std::vector<const gfxText*> texts = newMessages();
    ASSERT_EQ(texts.size(), static_cast<size_t>(messageCounts[cleared] - '0')) << levelGlyphs[cleared];
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(std::tuple(texts[i]->y, texts[i]->x, texts[i]->colourPair, texts[i]->remaining),
                std::tuple(static_cast<int>(i) + 1, 4, 1, 2.0f));
    }
  }

  void expectEnding() {
    std::vector<const gfxText*> texts = newMessages();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0]->text, "KONIEC - Zabiles wszystkie Kravo Sansy!");
    EXPECT_EQ(texts[5]->y, 17);
    EXPECT_EQ(tasksOf<gfxTaskFireworks>(true).size(), 12u);  // 3 + 3 + 2 + 1 + 1 + 1 + 1 bursts
  }

  // The overlay is drawn last, so these cells hold whatever else happens.
  void expectSanePicture() {
    EXPECT_EQ(cellAt(screenRows / 2, screenCols / 2).ch, '+');
    EXPECT_EQ(cellAt(screenRows - 1, 0).ch, '/');
    EXPECT_TRUE(countLiveEnemies() == 0 || cellAt(2, screenCols - 3).pair == 9);
    EXPECT_TRUE(playerHealth < 0.0f || cellAt(2, 2).pair == 8);
  }
};

}  // namespace

TEST_F(PlayThrough, AllLettersInOrderThenTheEndingAgain) {
  start(20261206);
  expectLevel(0);
  int level = 0, endings = 0;
  // 16 ms frames (a 60 Hz display), at most 2000 s of game time: a quarter
  // of the frames 4 ms ones took for the same play, short enough for the
  // sanitizer build.
  for (long frames = 1; endings < 4 && frames < 125000; ++frames) {
    ASSERT_TRUE(frame(0.016f, playerInput()));
    if (levelIndex() != level) {
      expectMessages(level);
      expectLevel(level = levelIndex());
    } else if (level == letterCount - 1 && !newMessages().empty()) {
      expectEnding();
      ++endings;
    }
    if (frames % 250 == 0) expectSanePicture();
    if (HasFailure()) return;
  }
  EXPECT_EQ(level, letterCount - 1);
  EXPECT_EQ(endings, 4);
  EXPECT_LT(playerHealth, 1.0f) << "no enemy shot ever reached the player";
}
