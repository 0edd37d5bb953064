// Taking the terminal over for curses output and giving it back.
#pragma once

#include <initializer_list>
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

// Shows lines of text from the top left of an empty screen and refreshes.
void consoleShowLines(std::initializer_list<const char*> texts);

void consoleClose();

// Around Ctrl-Z: the shell gets a normal terminal while the game is stopped.
void consoleSuspend();
void consoleResume();
