#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "game/gfx/explosion.h"
#include "game/gfx/text.h"
#include "game/world/levels.h"
#include "world/world_fixture.h"

namespace {

using LevelsTest = WorldTest;

struct Message {
  std::string text;
  int32_t row;
};

struct Level {
  char glyph;
  CombatParams params;  // in force while this letter is played
  std::vector<Message> arrival;  // shown when this letter comes up
};

const std::string reload = "Kravosy zwiekszyly szybkosc ladowania swoich pociskow";
const std::string rate = "Ulepszono fire rate broni ";
const std::string shotgun = "Zwiekszono skutecznosc shotguna";

const Level levels[] = {
    {'A', {1.0f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f}, {}},
    {'B', {0.8f, 3.0f, 2.0f, 0.2f, true, 5.0f, 10.0f}, {{rate + "(0.8s)", 1}}},
    {'C', {0.8f, 3.0f, 3.0f, 0.2f, true, 5.0f, 10.0f}, {{"Zwiekszono moc broni", 1}}},
    {'D', {0.8f, 3.0f, 3.0f, 0.2f, true, 5.0f, 10.0f}, {}},
    {'E', {0.7f, 3.0f, 3.0f, 0.2f, true, 4.0f, 10.0f}, {{reload + "! (4-10 sekund)", 1}, {rate + "(0.7s) i moc broni", 2}}},
    {'F', {0.7f, 2.0f, 3.0f, 0.2f, true, 4.0f, 10.0f}, {{"Ulepszono predkosc pocisku (2s)", 1}}},
    {'G', {0.7f, 2.0f, 3.0f, 0.2f, false, 4.0f, 10.0f}, {{"Przelaczono bron w tryb shotguna", 1}}},
    {'H', {0.7f, 2.0f, 3.0f, 0.2f, false, 4.0f, 10.0f}, {}},
    {'I', {0.7f, 2.0f, 3.0f, 0.3f, false, 4.0f, 10.0f}, {{shotgun, 1}}},
    {'J', {0.7f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f}, {{reload + " (3-9 sekund)!", 1}, {shotgun, 2}}},
    {'K', {0.7f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f}, {}},
    {'L', {0.5f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f}, {{rate + "(0.5s)", 1}}},
    {'M', {0.5f, 2.0f, 3.0f, 0.4f, false, 3.0f, 9.0f}, {}},
    {'N', {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}, {{"Dostales najlepsze pociski!", 1}}},
    {'O', {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}, {}},
    {'P', {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}, {}},
    {'R', {0.5f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}, {}},
    {'S', {0.2f, 2.0f, 3.0f, -0.2f, false, 3.0f, 9.0f}, {{rate + "(0.2s)", 1}}},
    {'T', {0.2f, 2.0f, 3.0f, -0.2f, false, 3.5f, 8.0f}, {{reload + " (3-8 sekund)!", 1}}},
    {'O', {0.1f, 0.5f, 5.0f, -0.2f, false, 3.5f, 8.0f}, {{rate + "(0.2s) i moc broni", 1}}},
    {'W', {0.1f, 0.5f, 5.0f, -0.2f, false, 3.5f, 8.0f}, {}},
    {'Y', {0.1f, 0.5f, 5.0f, -0.2f, false, 1.0f, 6.0f}, {{reload + " (1-6 sekund)!", 1}}},
    {'Z', {0.1f, 0.5f, 5.0f, -0.2f, false, 1.0f, 6.0f}, {}},
};

void expectParams(const CombatParams& p, const std::string& where) {
  const CombatParams& q = combatParams;
  EXPECT_TRUE(q.fireInterval == p.fireInterval && q.shotFlightTime == p.shotFlightTime &&
              q.killRadius == p.killRadius && q.killChance == p.killChance && q.aimedMode == p.aimedMode &&
              q.enemyReloadMin == p.enemyReloadMin && q.enemyReloadMax == p.enemyReloadMax)
      << where;
}

void expectText(const gfxText* t, const std::string& text, float seconds, int32_t col, int32_t row) {
  ASSERT_NE(t, nullptr);
  if (!text.empty()) {
    EXPECT_EQ(t->text, text);
  }
  EXPECT_EQ(t->remaining, seconds) << t->text;
  EXPECT_EQ(t->x, col) << t->text;
  EXPECT_EQ(t->y, row) << t->text;
  EXPECT_EQ(t->colourPair, 1) << t->text;
}

// Empties the current letter and lands one shot, as the game would.
void clearLetterWithAShot() {
  std::memset(levelGrid, 0, gridSize * gridSize);
  effectList.clear();
  playerShots = {ShotRecord{0, 0, -0.5f}};
  updatePlayerShots(0.02f);
}

void expectEnding() {
  auto texts = effectsOf<gfxText>();
  ASSERT_EQ(texts.size(), 6u);
  expectText(texts[0], "KONIEC - Zabiles wszystkie Kravo Sansy!", 5.0f, 10, 10);
  expectText(texts[1], "Dyplom za ukonczenie gry zostanie dostarczony poczta...", 6.0f, 10, 11);
  expectText(texts[2], "game by .m0rk", 7.0f, 11, 13);
  expectText(texts[3], "", 8.0f, 12, 14);  // the two credit lines
  expectText(texts[4], "", 9.0f, 13, 15);
  expectText(texts[5], "game created using trevin engine (.vin) ;)", 10.0f, 14, 17);
  // Fireworks of 3, 3, 2, 1, 1, 1 and 1 bursts, after the texts.
  const float bursts[][3] = {{55, 15, 1}, {55, 15, 2}, {55, 15, 3}, {55, 15, 1}, {55, 15, 2}, {55, 15, 3},
                             {35, 15, 1}, {35, 15, 2}, {50, 5, 1},  {2, 5, 1},   {60, 5, 1},  {13, 85, 1}};
  auto fireworks = effectsOf<gfxTaskFireworks>();
  ASSERT_EQ(fireworks.size(), std::size(bursts));
  for (size_t i = 0; i < fireworks.size(); ++i) {
    EXPECT_EQ(fireworks[i]->centre.x, bursts[i][0]) << i;
    EXPECT_EQ(fireworks[i]->centre.y, bursts[i][1]) << i;
    EXPECT_EQ(static_cast<float>(fireworks[i]->colour), bursts[i][2]) << i;
    EXPECT_EQ(fireworks[i]->glyph, 'a');
  }
  EXPECT_EQ(dynamic_cast<gfxText*>(effectList.back().get()), nullptr);
}

}  // namespace

TEST_F(LevelsTest, WalkThroughAllLettersAndTheEnding) {
  setUpLevel(true);
  EXPECT_EQ(levelGrid, letterGrids[0]);
  EXPECT_EQ(initialEnemyCount, 335);
  EXPECT_EQ(enemyGlyph, 'A');
  EXPECT_TRUE(effectList.empty());
  expectParams(levels[0].params, "start");
  for (int k = 1; k < letterCount; ++k) {
    const Level& level = levels[k];
    const std::string where = "level " + std::to_string(k + 1);
    clearLetterWithAShot();
    ASSERT_EQ(levelGrid, letterGrids[k]) << where;
    EXPECT_EQ(enemyGlyph, level.glyph) << where;
    EXPECT_EQ(debrisGlyph, std::tolower(level.glyph)) << where;
    expectParams(level.params, where);
    EXPECT_EQ(initialEnemyCount, countLiveEnemies()) << where;
    EXPECT_TRUE(formationRow >= -50 && formationRow <= 51 && formationCol >= -50 && formationCol <= 51);
    // The new letter is shown at once, not a frame later.
    EXPECT_EQ(std::memcmp(displayGrid, levelGrid, sizeof displayGrid), 0) << where;
    ASSERT_EQ(effectList.size(), level.arrival.size()) << where;
    auto texts = effectsOf<gfxText>();
    for (size_t i = 0; i < texts.size(); ++i) expectText(texts[i], level.arrival[i].text, 2.0f, 4, level.arrival[i].row);
  }
  for (int round = 1; round <= 2; ++round) {  // the ending runs again for every landing shot
    clearLetterWithAShot();
    EXPECT_EQ(levelGrid, letterGrids[letterCount - 1]);
    EXPECT_EQ(initialEnemyCount, 0);
    EXPECT_EQ(enemyGlyph, 'Z');
    expectParams(levels[letterCount - 1].params, "ending");
    expectEnding();
  }
}
