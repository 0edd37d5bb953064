#include "game/display/colour_pairs.h"

#include "platform/colours.h"

using C = ConsoleColour;

const ColourPair colourPairs[colourPairCount] = {
    {1, C::LightGrey, C::Black},  // texts, frame, crosshair
    {2, C::Yellow, C::Black},     // cloud of a single-colour burst
    {3, C::BrightRed, C::Black},  // cloud of a multi-colour burst; formation dot
    {4, C::White, C::Black},
    {5, C::DarkGrey, C::Black},          // stars and the formation
    {6, C::LightGrey, C::Black},         // explosion colour 1
    {7, C::Yellow, C::Black},            // explosion colour 2
    {8, C::BrightRed, C::Red},           // explosion colour 3; health bar
    {9, C::BrightBlue, C::Blue},         // explosion colour 4; fireworks 1; power-up marker; enemies bar
    {10, C::BrightMagenta, C::Magenta},  // fireworks 2; enemy shots
    {11, C::BrightGreen, C::Green},      // fireworks 3; player shots
    {12, C::BrightBlue, C::Black},       // fireworks 4; power-up dot
};

chtype pairAttributes[colourPairCount + 1] = {
    0,
    COLOR_PAIR(1),
    COLOR_PAIR(2),
    COLOR_PAIR(3),
    COLOR_PAIR(4),
    COLOR_PAIR(5),
    COLOR_PAIR(6),
    COLOR_PAIR(7),
    COLOR_PAIR(8),
    COLOR_PAIR(9),
    COLOR_PAIR(10),
    COLOR_PAIR(11),
    COLOR_PAIR(12),
};

namespace {

// curses numbers the base colours red-first; the names are what matter.
short baseColour(ConsoleColour c) {
  static const short base[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
  return base[static_cast<int>(c) % 8];
}

bool isBright(ConsoleColour c) { return static_cast<int>(c) >= 8; }

// Pairs whose background is a colour draw solid bars with spaces; without
// colours they need reverse video to be seen at all.
bool hasColouredBackground(const ColourPair& p) { return p.background != ConsoleColour::Black; }

}  // namespace

void setUpColours() {
  const TerminalColours terminal = terminalColours();
  for (const ColourPair& p : colourPairs) {
    chtype attr = 0;
    if (terminal.colour && p.pair < terminal.pairs) {
      short fg = baseColour(p.foreground);
      short bg = baseColour(p.background);
      if (terminal.sixteen) {
        if (isBright(p.foreground)) fg += 8;
        if (isBright(p.background)) bg += 8;
      } else if (isBright(p.foreground)) {
        attr |= A_BOLD;
      }
      init_pair(p.pair, fg, bg);
      attr |= COLOR_PAIR(p.pair);
    } else if (hasColouredBackground(p)) {
      attr |= A_REVERSE;
    }
    pairAttributes[p.pair] = attr;
  }
}
