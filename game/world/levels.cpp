#include "game/world/levels.h"

#include <vector>

#include "game/display/colour_pairs.h"
#include "game/gfx/factories.h"
#include "game/world/ending.h"
#include "game/world/letters.h"
#include "game/world/shots.h"

namespace {

struct ParamChange {
  float CombatParams::*field;
  float value;
};

// One row per letter: what clearing it changes. The messages are fixed
// texts and stay as written, also where they do not match the values set.
struct LevelStep {
  char enemy;
  char debris;
  bool shotgun;  // clearing this letter switches the weapon to spread mode
  std::vector<ParamChange> changes;
  const char* firstMessage;
  std::vector<ParamChange> laterChanges;  // applied between the two messages
  const char* secondMessage;
};

using P = CombatParams;

// Row i applies when table i is cleared and leads to table i + 1; the Z has
// no row, clearing it is the ending.
const std::vector<LevelStep>& levelSteps() {
  static const std::vector<LevelStep> steps = {
      {'B',
       'b',
       false,
       {{&P::killRadius, 2.0f}, {&P::killChance, 0.2f}, {&P::shotFlightTime, 3.0f}, {&P::fireInterval, 0.8f}},
       "Ulepszono fire rate broni (0.8s)",
       {},
       nullptr},
      {'C', 'c', false, {{&P::killRadius, 3.0f}}, "Zwiekszono moc broni", {}, nullptr},
      {'D', 'd', false, {}, nullptr, {}, nullptr},
      {'E',
       'e',
       false,
       {{&P::enemyReloadMin, 4.0f}},
       "Kravosy zwiekszyly szybkosc ladowania swoich pociskow! (4-10 sekund)",
       {{&P::killRadius, 3.0f}, {&P::fireInterval, 0.7f}},
       "Ulepszono fire rate broni (0.7s) i moc broni"},
      {'F', 'f', false, {{&P::shotFlightTime, 2.0f}}, "Ulepszono predkosc pocisku (2s)", {}, nullptr},
      {'G', 'g', true, {}, "Przelaczono bron w tryb shotguna", {}, nullptr},
      {'H', 'h', false, {}, nullptr, {}, nullptr},
      {'I', 'i', false, {{&P::killChance, 0.3f}}, "Zwiekszono skutecznosc shotguna", {}, nullptr},
      {'J',
       'j',
       false,
       {{&P::enemyReloadMin, 3.0f}, {&P::enemyReloadMax, 9.0f}},
       "Kravosy zwiekszyly szybkosc ladowania swoich pociskow (3-9 sekund)!",
       {{&P::killChance, 0.4f}},
       "Zwiekszono skutecznosc shotguna"},
      {'K', 'k', false, {}, nullptr, {}, nullptr},
      {'L', 'l', false, {{&P::fireInterval, 0.5f}}, "Ulepszono fire rate broni (0.5s)", {}, nullptr},
      {'M', 'm', false, {}, nullptr, {}, nullptr},
      {'N', 'n', false, {{&P::killChance, -0.2f}}, "Dostales najlepsze pociski!", {}, nullptr},
      {'O', 'o', false, {}, nullptr, {}, nullptr},
      {'P', 'p', false, {}, nullptr, {}, nullptr},
      {'R', 'r', false, {}, nullptr, {}, nullptr},
      {'S', 's', false, {{&P::fireInterval, 0.2f}}, "Ulepszono fire rate broni (0.2s)", {}, nullptr},
      {'T',
       't',
       false,
       {{&P::enemyReloadMin, 3.5f}, {&P::enemyReloadMax, 8.0f}},
       "Kravosy zwiekszyly szybkosc ladowania swoich pociskow (3-8 sekund)!",
       {},
       nullptr},
      // The O with an acute accent is drawn with the plain letter.
      {'O',
       'o',
       false,
       {{&P::killRadius, 5.0f}, {&P::shotFlightTime, 0.5f}, {&P::fireInterval, 0.1f}},
       "Ulepszono fire rate broni (0.2s) i moc broni",
       {},
       nullptr},
      {'W', 'w', false, {}, nullptr, {}, nullptr},
      {'Y',
       'y',
       false,
       {{&P::enemyReloadMin, 1.0f}, {&P::enemyReloadMax, 6.0f}},
       "Kravosy zwiekszyly szybkosc ladowania swoich pociskow (1-6 sekund)!",
       {},
       nullptr},
      {'Z', 'z', false, {}, nullptr, {}, nullptr},  // clearing Y
  };
  return steps;
}

void apply(const std::vector<ParamChange>& changes) {
  for (const ParamChange& change : changes) combatParams.*change.field = change.value;
}

void showMessage(const char* text, int32_t row) {
  if (text) makeText(text, pairText, 2.0f, Vec2i{4, row});
}

// Index of the table levelGrid points at, or -1 if it points elsewhere.
int currentLevel() {
  for (int i = 0; i < letterCount; ++i)
    if (levelGrid == letterGrids[i]) return i;
  return -1;
}

void advanceFrom(int level) {
  const LevelStep& step = levelSteps()[static_cast<size_t>(level)];
  apply(step.changes);
  if (step.shotgun) combatParams.aimedMode = false;
  levelGrid = letterGrids[level + 1];
  enemyGlyph = step.enemy;
  debrisGlyph = step.debris;
  showMessage(step.firstMessage, 1);
  apply(step.laterChanges);
  showMessage(step.secondMessage, 2);
}

}  // namespace

void setUpLevel(bool start) {
  const int level = currentLevel();
  if (level == letterCount - 1) {
    // No letter follows Z: levelGrid stays on the empty Z table, so every
    // later cleared check lands here again and replays the ending.
    playEnding();
  } else if (level >= 0 && !(start && level == 0)) {
    advanceFrom(level);
  }
  placeFormation();
}
