// The 23 letter formations and the state of the current level. Each table is
// the live enemy state itself: kills write 0 into it and nothing refills it.
#pragma once

#include <cstdint>

constexpr int letterCount = 23;
constexpr int gridSize = 32;

// 32 rows of 32 cells, row-major; 1 = live enemy, 0 = empty.
using LetterGrid = uint8_t[gridSize * gridSize];

extern LetterGrid letterGrids[letterCount];  // A B C ... T O-acute W Y Z

extern uint8_t* levelGrid;    // the current level's table
extern int32_t formationRow;  // world cell of grid cell (0, 0)
extern int32_t formationCol;
extern int32_t initialEnemyCount;
extern char enemyGlyph;
extern char debrisGlyph;

// Unpacks every table from its row words and puts the level state back to
// level A. The program calls it once at start; tests call it for a fresh game.
void resetLetters();

int32_t countLiveEnemies();
// Live count over the start count; -1.0 when none is left.
float remainingFraction();
// Random origin (row first, then column, each -50..51) and the start count.
void placeFormation();
