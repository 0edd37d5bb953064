#include "game/world/letters.h"

#include "game/loop/random.h"
#include "game/world/letter_rows.h"

LetterGrid letterGrids[letterCount];
uint8_t* levelGrid;
int32_t formationRow;
int32_t formationCol;
int32_t initialEnemyCount;
char enemyGlyph;
char debrisGlyph;

namespace {

void unpackLetter(const uint32_t (&words)[gridSize], LetterGrid& grid) {
  for (int r = 0; r < gridSize; ++r)
    for (int c = 0; c < gridSize; ++c)
      grid[gridSize * r + c] = static_cast<uint8_t>((words[r] >> (31 - c)) & 1u);
}

// The start shapes and values are the reset's, before main runs as for
// every module; resetLetters() is also the way back to a fresh game.
[[maybe_unused]] const bool lettersUnpacked = (resetLetters(), true);

}  // namespace

void resetLetters() {
  for (int i = 0; i < letterCount; ++i) unpackLetter(letterRowWords[i], letterGrids[i]);
  levelGrid = letterGrids[0];
  enemyGlyph = 'A';
  debrisGlyph = 'a';
  formationRow = formationCol = 0;
  initialEnemyCount = 0;
}

int32_t countLiveEnemies() {
  int32_t live = 0;
  for (int i = 0; i < gridSize * gridSize; ++i)
    if (levelGrid[i] == 1) ++live;
  return live;
}

float remainingFraction() {
  int32_t live = countLiveEnemies();
  if (live == 0) return -1.0f;
  return static_cast<float>(live) / static_cast<float>(initialEnemyCount);
}

void placeFormation() {
  formationRow = static_cast<int32_t>(drawRandom() % 102u) - 50;
  formationCol = static_cast<int32_t>(drawRandom() % 102u) - 50;
  initialEnemyCount = countLiveEnemies();
}
