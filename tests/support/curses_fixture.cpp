#include "support/curses_fixture.h"

#include <cstdlib>
#include <string>

#include "game/loop/state.h"
#include "platform/console.h"

void CursesTest::openScreen(int rows, int cols) {
  closeScreen();
  // newterm takes its size from the environment when the output is not a
  // terminal, so this is how a test picks the size.
  setenv("LINES", std::to_string(rows).c_str(), 1);
  setenv("COLUMNS", std::to_string(cols).c_str(), 1);
  out_ = std::fopen("/dev/null", "w");
  in_ = std::fopen("/dev/null", "r");
  const char* term = std::getenv("TERM");
  screen_ = newterm(term && *term ? term : "xterm-256color", out_, in_);
  ASSERT_NE(screen_, nullptr) << "no terminal description for TERM";
  set_term(screen_);
  setUpColours();
  screenRows = getmaxy(stdscr);
  screenCols = getmaxx(stdscr);
  ASSERT_EQ(screenRows, rows);
  ASSERT_EQ(screenCols, cols);
}

void CursesTest::closeScreen() {
  if (screen_) {
    endwin();
    delscreen(screen_);
    screen_ = nullptr;
  }
  if (out_) std::fclose(out_);
  if (in_) std::fclose(in_);
  out_ = in_ = nullptr;
}

Cell CursesTest::cellAt(int row, int col) {
  chtype c = mvwinch(stdscr, row, col);
  return Cell{static_cast<char>(c & A_CHARTEXT), static_cast<int>(PAIR_NUMBER(c & A_COLOR))};
}

std::string CursesTest::rowText(int row) {
  std::string text;
  for (int col = 0; col < getmaxx(stdscr); ++col) text += cellAt(row, col).ch;
  return text;
}

int CursesTest::countChar(char ch) {
  int n = 0;
  for (int row = 0; row < getmaxy(stdscr); ++row)
    for (int col = 0; col < getmaxx(stdscr); ++col)
      if (cellAt(row, col).ch == ch) ++n;
  return n;
}
