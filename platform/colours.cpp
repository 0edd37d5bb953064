// Mapping the game's colour names onto the terminal's palette.
#include <curses.h>

#include "game/display/colour_pairs.h"
#include "platform/console.h"

namespace {

// curses numbers the base colours red-first; the names are what matter.
short baseColour(ConsoleColour c) {
  static const short base[8] = {COLOR_BLACK, COLOR_BLUE, COLOR_GREEN, COLOR_CYAN,
                                COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
  return base[static_cast<int>(c) % 8];
}

bool isBright(ConsoleColour c) { return static_cast<int>(c) >= 8; }

// Pairs whose background is a colour draw solid bars with spaces; without
// colours they need reverse video to be seen at all.
bool hasColouredBackground(const ColourPair& p) { return p.background != ConsoleColour::Black; }

}  // namespace

void setUpColours() {
  bool colour = has_colors() && start_color() == OK;
  bool sixteen = colour && COLORS >= 16;
  for (const ColourPair& p : colourPairs) {
    chtype attr = 0;
    if (colour && p.pair < COLOR_PAIRS) {
      short fg = baseColour(p.foreground);
      short bg = baseColour(p.background);
      if (sixteen) {
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
