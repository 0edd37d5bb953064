// Taking the terminal over for curses output and giving it back.
#include "platform/console.h"

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/output.h"
#include "platform/term_raw.h"
#include "platform/term_type.h"

namespace {

// What consoleOpen read; the intro lines are kept within it.
ConsoleSize openedSize{0, 0};

}  // namespace

std::string consoleProblem() {
  if (!isatty(STDIN_FILENO)) return "serifall: standard input is not a terminal";
  if (!isatty(STDOUT_FILENO)) return "serifall: standard output is not a terminal";
  return termSettle();
}

ConsoleSize consoleOpen() {
  if (!outputStart(STDOUT_FILENO, std::getenv("TERM"))) initscr();
  openedSize = ConsoleSize{getmaxy(stdscr), getmaxx(stdscr)};
  curs_set(0);
  noecho();
  raw();
  termRawKeys(STDIN_FILENO);
  // The input layer reads the terminal itself; curses must not poll it.
  typeahead(-1);
  return openedSize;
}

void consoleShowLines(std::initializer_list<const char*> texts) {
  erase();
  attrset(A_NORMAL);
  int row = 0;
  for (const char* text : texts) {
    for (int col = 0; text[col] != '\0'; ++col)
      if (row < openedSize.rows && col < openedSize.cols)
        mvaddch(row, col, static_cast<unsigned char>(text[col]));
    ++row;
  }
  outputShow(1000);
}

void consoleClose() {
  curs_set(1);
  endwin();
  outputStop();
}

void consoleSuspend() {
  endwin();
  outputStop();
}

// Refreshing after endwin takes the terminal back and repaints it whole.
void consoleResume() {
  outputResume();
  outputShow(1000);
}
