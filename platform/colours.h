// What the terminal can show in colour. The game decides which colours its
// pairs get; this only says what it has to work with.
#pragma once

struct TerminalColours {
  bool colour;   // colour pairs can be defined at all
  bool sixteen;  // the bright colours exist as colours of their own
  int pairs;     // how many pairs may be defined (COLOR_PAIRS)
};

// Starts colour on the current screen where the terminal has it.
TerminalColours terminalColours();
