// Real ncurses drawing into a terminal opened on /dev/null, for drawing
// tests. Every test gets a fresh screen of a fixed size (80 x 25 unless it
// asks for another) with the colour pairs of the game; game state is each
// fixture's own to reset.
#pragma once

#include <curses.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

struct Cell {
  char ch;
  int pair;
};

class CursesTest : public ::testing::Test {
protected:
  void SetUp() override { openScreen(25, 80); }
  void TearDown() override { closeScreen(); }

  // Reopens the headless terminal at rows x cols and sets screenRows and
  // screenCols to match.
  void openScreen(int rows, int cols);
  void closeScreen();

public:
  // Character and colour pair of one cell of the standard screen.
  static Cell cellAt(int row, int col);
  // One screen row as text.
  static std::string rowText(int row);
  // Number of cells on screen holding ch.
  static int countChar(char ch);

private:
  SCREEN* screen_ = nullptr;
  FILE* out_ = nullptr;
  FILE* in_ = nullptr;
};
