// The whole game, played to the end and beyond by a scripted player through
// the real frame function: every letter in order, the parameters and
// messages between them, the ending four times.
#include <string>
#include <vector>

#include "fixtures/frame_fixture.h"
#include "game/gfx/effect_list.h"
#include "game/gfx/explosion.h"
#include "game/gfx/text.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/shots.h"
#include "support/scripted_player.h"

namespace {

const char levelGlyphs[] = "ABCDEFGHIJKLMNOPRSTOWYZ";

// fireInterval, shotFlightTime, killRadius, killChance, aimedMode,
// enemyReloadMin, enemyReloadMax in force during each level.
const CombatParams paramsByLevel[letterCount] = {
    {1.0f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f},   // A
    {0.8f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f},   // B
    {0.8f, 3.0f, 3.0f, 0.2f, true, 5.0f, 10.0f},   // C
    {0.8f, 3.0f, 3.0f, 0.2f, true, 5.0f, 10.0f},   // D
    {0.7f, 3.0f, 3.0f, 0.2f, true, 4.0f, 10.0f},   // E
    {0.7f, 2.0f, 3.0f, 0.2f, true, 4.0f, 10.0f},   // F
    {0.7f, 2.0f, 3.0f, 0.2f, false, 4.0f, 10.0f},  // G
    {0.7f, 2.0f, 3.0f, 0.2f, false, 4.0f, 10.0f},  // H
    {0.7f, 2.0f, 3.0f, 0.3f, false, 4.0f, 10.0f},  // I
    {0.7f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f},   // J
    {0.7f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f},   // K
    {0.5f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f},   // L
    {0.5f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f},   // M
    {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f},  // N
    {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f},  // O
    {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f},  // P
    {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f},  // R
    {0.2f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f},  // S
    {0.2f, 2.0f, 3.0f, -0.2f, false, 3.5f, 8.0f},  // T
    {0.1f, 0.5f, 5.0f, -0.2f, false, 3.5f, 8.0f},  // O-acute
    {0.1f, 0.5f, 5.0f, -0.2f, false, 3.5f, 8.0f},  // W
    {0.1f, 0.5f, 5.0f, -0.2f, false, 1.0f, 6.0f},  // Y
    {0.1f, 0.5f, 5.0f, -0.2f, false, 1.0f, 6.0f},  // Z
};

// What clearing a letter announces: level index of the letter, row, text.
struct Message {
  int cleared;
  int row;
  const char* text;
};
const Message messages[] = {
    {0, 1, "Ulepszono fire rate broni (0.8s)"},
    {1, 1, "Zwiekszono moc broni"},
    {3, 1, "Kravosy zwiekszyly szybkosc ladowania swoich pociskow! (4-10 sekund)"},
    {3, 2, "Ulepszono fire rate broni (0.7s) i moc broni"},
    {4, 1, "Ulepszono predkosc pocisku (2s)"},
    {5, 1, "Przelaczono bron w tryb shotguna"},
    {7, 1, "Zwiekszono skutecznosc shotguna"},
    {8, 1, "Kravosy zwiekszyly szybkosc ladowania swoich pociskow (3-9 sekund)!"},
    {8, 2, "Zwiekszono skutecznosc shotguna"},
    {10, 1, "Ulepszono fire rate broni (0.5s)"},
    {12, 1, "Dostales najlepsze pociski!"},
    {16, 1, "Ulepszono fire rate broni (0.2s)"},
    {17, 1, "Kravosy zwiekszyly szybkosc ladowania swoich pociskow (3-8 sekund)!"},
    {18, 1, "Ulepszono fire rate broni (0.2s) i moc broni"},
    {20, 1, "Kravosy zwiekszyly szybkosc ladowania swoich pociskow (1-6 sekund)!"},
};

int levelIndex() { return static_cast<int>((levelGrid - &letterGrids[0][0]) / (gridSize * gridSize)); }

// Texts made in the frame just run: they have not been updated yet.
std::vector<const gfxText*> newTexts() {
  std::vector<const gfxText*> texts;
  for (const auto& task : effectList)
    if (auto* text = dynamic_cast<const gfxText*>(task.get()))
      if (text->elapsed == 0.0f && text->text.rfind("GunOfKravoDeath", 0) != 0 &&
          text->text.rfind("otrzymujesz", 0) != 0)
        texts.push_back(text);
  return texts;
}

int newFireworks() {
  int n = 0;
  for (const auto& task : effectList)
    if (auto* burst = dynamic_cast<const gfxTaskFireworks*>(task.get()))
      if (burst->elapsed == 0.0f) ++n;
  return n;
}

class PlayThrough : public FrameTest {
protected:
  void expectParams(int level) {
    const CombatParams& want = paramsByLevel[level];
    SCOPED_TRACE(std::string("level ") + levelGlyphs[level]);
    EXPECT_EQ(enemyGlyph, levelGlyphs[level]);
    EXPECT_EQ(debrisGlyph, levelGlyphs[level] - 'A' + 'a');
    EXPECT_EQ(combatParams.fireInterval, want.fireInterval);
    EXPECT_EQ(combatParams.shotFlightTime, want.shotFlightTime);
    EXPECT_EQ(combatParams.killRadius, want.killRadius);
    EXPECT_EQ(combatParams.killChance, want.killChance);
    EXPECT_EQ(combatParams.aimedMode, want.aimedMode);
    EXPECT_EQ(combatParams.enemyReloadMin, want.enemyReloadMin);
    EXPECT_EQ(combatParams.enemyReloadMax, want.enemyReloadMax);
  }

  void expectMessages(int cleared) {
    std::vector<const gfxText*> texts = newTexts();
    size_t n = 0;
    for (const Message& want : messages) {
      if (want.cleared != cleared) continue;
      ASSERT_LT(n, texts.size()) << "after " << levelGlyphs[cleared];
      const gfxText& got = *texts[n++];
      EXPECT_EQ(got.text, want.text);
      EXPECT_EQ(got.y, want.row);
      EXPECT_EQ(got.x, 4);
      EXPECT_EQ(got.colourPair, 1);
      EXPECT_EQ(got.remaining, 2.0f);
    }
    EXPECT_EQ(n, texts.size()) << "after " << levelGlyphs[cleared];
  }

  void expectEnding() {
    std::vector<const gfxText*> texts = newTexts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0]->text, "KONIEC - Zabiles wszystkie Kravo Sansy!");
    EXPECT_EQ(texts[0]->y, 10);
    EXPECT_EQ(texts[1]->text, "Dyplom za ukonczenie gry zostanie dostarczony poczta...");
    EXPECT_EQ(texts[2]->text, "game by .m0rk");
    EXPECT_EQ(texts[5]->text, "game created using trevin engine (.vin) ;)");
    EXPECT_EQ(texts[5]->y, 17);
    EXPECT_EQ(newFireworks(), 12);  // 3 + 3 + 2 + 1 + 1 + 1 + 1 bursts
  }

  // The overlay is drawn last, so these cells hold whatever else happens.
  void expectSanePicture() {
    EXPECT_EQ(cellAt(screenRows / 2, screenCols / 2).ch, '+');
    EXPECT_EQ(cellAt(0, 0).ch, '\\');
    EXPECT_EQ(cellAt(screenRows - 1, 0).ch, '/');
    if (countLiveEnemies() > 0) {
      EXPECT_EQ(cellAt(2, screenCols - 3).pair, 9);
    }
    if (playerHealth >= 0.0f) {
      EXPECT_EQ(cellAt(2, 2).pair, 8);
    }
  }
};

}  // namespace

TEST_F(PlayThrough, AllLettersInOrderThenTheEndingAgain) {
  start(20261206);
  expectParams(0);
  int level = 0;
  int endings = 0;
  long frames = 0;
  // 4 ms frames: 250 frames a second of game time, and a run short
  // enough for the sanitizer build.
  const long frameLimit = 500000;  // 2000 s of game time
  while (endings < 4 && frames < frameLimit) {
    ASSERT_TRUE(frame(0.004f, playerInput()));
    ++frames;
    if (levelIndex() != level) {
      expectMessages(level);
      level = levelIndex();
      expectParams(level);
      if (HasFailure()) return;
    } else if (level == letterCount - 1 && !newTexts().empty()) {
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
