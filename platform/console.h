// Taking the terminal over for curses output and giving it back.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// Empty when standard input and output are a usable terminal; otherwise the
// one line to print before exiting with status 1.
std::string consoleProblem();

struct ConsoleSize {
  int32_t rows;
  int32_t cols;
};

// initscr and the rest of the set-up; returns the size it read, the only
// time the size is read.
ConsoleSize consoleOpen();

// Shows lines of text from the top left of an empty screen and refreshes.
void consoleShowLines(std::initializer_list<const char*> texts);

void consoleClose();

// Around Ctrl-Z: the shell gets a normal terminal while the game is stopped.
void consoleSuspend();
void consoleResume();
