// The twelve colour pairs, by colour name, and which colours they get on
// the terminal at hand.
#pragma once

#include <curses.h>

enum class ConsoleColour {
  Black,
  Blue,
  Green,
  Cyan,
  Red,
  Magenta,
  Brown,
  LightGrey,
  DarkGrey,
  BrightBlue,
  BrightGreen,
  BrightCyan,
  BrightRed,
  BrightMagenta,
  Yellow,
  White,
};

struct ColourPair {
  short pair;
  ConsoleColour foreground;
  ConsoleColour background;
};

// The pairs by what the game draws with them.
constexpr int pairText = 1;        // texts, frame, crosshair
constexpr int pairCloud = 2;       // cloud of a single-colour burst
constexpr int pairCloudMulti = 3;  // cloud of a multi-colour burst
constexpr int pairFormationDot = 3;
constexpr int pairStars = 5;  // stars and the formation
constexpr int pairHealthBar = 8;
constexpr int pairPowerUpMarker = 9;
constexpr int pairEnemiesBar = 9;
constexpr int pairEnemyShots = 10;
constexpr int pairPlayerShots = 11;
constexpr int pairPowerUpDot = 12;

// Not pairs but offsets: a burst of colour 1..4 draws in pair offset +
// colour, so explosions use pairs 6..9 and fireworks pairs 9..12.
constexpr int explosionPairOffset = 5;
constexpr int fireworksPairOffset = 8;

constexpr int colourPairCount = 12;
extern const ColourPair colourPairs[colourPairCount];

// What selecting pair n really sets on this terminal: the pair itself, plus
// bold where a bright colour had to fall back to its base colour, or reverse
// video where the terminal has no colours at all. Index 0 is unused.
extern chtype pairAttributes[colourPairCount + 1];

// Defines the twelve pairs for the current screen's palette and fills
// pairAttributes.
void setUpColours();

// Selects colour pair n (1..12) for everything drawn next; the previous pair
// is replaced.
inline void selectPair(int n) {
  if (n >= 1 && n <= colourPairCount) attrset(pairAttributes[n]);
}
