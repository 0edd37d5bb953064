// Taking the terminal over for curses output and giving it back.
#pragma once

#include <string>

// Empty when standard input and output are a usable terminal; otherwise the
// one line to print before exiting with status 1.
std::string consoleProblem();

// initscr and the rest of the set-up; reads screenRows and screenCols.
void consoleOpen();

// Defines the twelve colour pairs by name for this terminal's palette and
// fills pairAttributes (bold for bright colours on 8-colour terminals,
// reverse video where there are no colours).
void setUpColours();

// Shows one line at the top left and refreshes.
void consoleShowLine(const char* text);

void consoleClose();
