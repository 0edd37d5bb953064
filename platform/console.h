// Taking the terminal over for curses output and giving it back.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// Checks that standard input and output are a usable terminal and settles
// TERM for it (a type this machine has no description of falls back to one
// it has). Empty when all is well; otherwise the one line to print before
// exiting with status 1.
std::string consolePrepare();

struct ConsoleSize {
  int32_t rows;
  int32_t cols;
};

// Takes the terminal over for curses and reads its size (later sizes reach
// curses in the output step; the game reads them from there). Empty when it did; otherwise the one line to
// print before exiting with status 1.
std::string consoleOpen(ConsoleSize& size);

// Shows lines of text from the top left of an empty screen and refreshes.
void consoleShowLines(std::initializer_list<const char*> texts);

// Gives the terminal back as it was (input modes too) at the end.
void consoleClose();

// Around Ctrl-Z: the shell gets a normal terminal while the game is stopped;
// on resume the game's modes, a whole picture and the input come back.
void consoleSuspend();
void consoleResume();
