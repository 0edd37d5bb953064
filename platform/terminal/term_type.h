// Which terminfo entry curses runs on.
//
// The terminals whose protocols the input layer speaks (foot, WezTerm,
// ghostty, rio, contour, kitty, alacritty) are the ones whose entries a
// remote host most often lacks. When TERM names no installed entry, a
// compatible one is taken instead, chosen from what TERM says:
//   - "...-256color", "...-direct" and the names above: xterm-256color,
//     then xterm;
//   - tmux and screen types: screen-256color (for 256-colour ones), screen;
//   - other xterm types: xterm;
// and after each of these, ansi, then vt100. TERM unset, empty or "dumb",
// an entry that cannot position the cursor, or a name with no fallback
// (or whose fallbacks are missing too) is refused.
#pragma once

#include <string>

// The first usable candidate in `chosen`, or the line that refuses TERM.
// `usable` answers whether an entry exists (1), does not exist (0), or
// exists but cannot position the cursor (-1).
std::string termChoose(const char* term, int (*usable)(const char* name), std::string* chosen);

// Checks TERM against this machine's terminfo. When a fallback is taken,
// TERM is set to it, so curses and everything after it agree on one entry
// (the input layer probes the terminal itself and does not read TERM).
// Empty when the game can run; otherwise the line to print.
std::string termSettle();

// The TERM the game was started with, before any fallback.
extern std::string termRequested;
