// The twelve colour pairs, by colour name. The console set-up maps the names
// onto whatever palette the terminal has.
#pragma once

enum class ConsoleColour {
  Black, Blue, Green, Cyan, Red, Magenta, Brown, LightGrey,
  DarkGrey, BrightBlue, BrightGreen, BrightCyan, BrightRed, BrightMagenta, Yellow, White,
};

struct ColourPair {
  short pair;
  ConsoleColour foreground;
  ConsoleColour background;
};

constexpr int colourPairCount = 12;
extern const ColourPair colourPairs[colourPairCount];

#include <curses.h>

// What selecting pair n really sets on this terminal: the pair itself, plus
// bold where a bright colour had to fall back to its base colour, or reverse
// video where the terminal has no colours at all. Index 0 is unused.
extern chtype pairAttributes[colourPairCount + 1];

// Selects colour pair n (1..12) for everything drawn next; the previous pair
// is replaced.
inline void selectPair(int n) {
  if (n >= 1 && n <= colourPairCount) attrset(pairAttributes[n]);
}
