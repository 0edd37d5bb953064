// What the terminal can show in colour.
#include "platform/colours.h"

#include <curses.h>

TerminalColours terminalColours() {
  TerminalColours t{};
  t.colour = has_colors() && start_color() == OK;
  t.sixteen = t.colour && COLORS >= 16;
  t.pairs = t.colour ? COLOR_PAIRS : 0;
  return t;
}
