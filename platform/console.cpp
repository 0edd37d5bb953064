// Taking the terminal over for curses output and giving it back.
#include "platform/console.h"

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "game/loop/state.h"
#include "platform/output.h"

std::string consoleProblem() {
  if (!isatty(STDIN_FILENO)) return "serifall: standard input is not a terminal";
  if (!isatty(STDOUT_FILENO)) return "serifall: standard output is not a terminal";
  const char* term = std::getenv("TERM");
  if (!term || !*term) return "serifall: TERM is not set; set it to your terminal's type";
  int error = 0;
  if (setupterm(term, STDOUT_FILENO, &error) != OK)
    return std::string("serifall: unknown terminal type '") + term + "'";
  // Without cursor addressing every cell would land in one unpositioned line.
  const char* cup = tigetstr("cup");
  bool addressable = cup && cup != reinterpret_cast<const char*>(-1);
  del_curterm(cur_term);
  if (!addressable)
    return std::string("serifall: terminal type '") + term + "' cannot position the cursor";
  return "";
}

void consoleOpen() {
  if (!outputStart(STDOUT_FILENO, std::getenv("TERM"))) initscr();
  screenRows = getmaxy(stdscr);
  screenCols = getmaxx(stdscr);
  curs_set(0);
  noecho();
  cbreak();
  // The input layer reads the terminal itself; curses must not poll it.
  typeahead(-1);
  setUpColours();
}

void consoleShowLines(std::initializer_list<const char*> texts) {
  erase();
  attrset(A_NORMAL);
  int row = 0;
  for (const char* text : texts) {
    for (int col = 0; text[col] != '\0'; ++col)
      if (row < screenRows && col < screenCols) mvaddch(row, col, static_cast<unsigned char>(text[col]));
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
