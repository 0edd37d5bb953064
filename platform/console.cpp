// Taking the terminal over for curses output and giving it back.
#include "platform/console.h"

#include <curses.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/input/input.h"
#include "platform/output/output.h"
#include "platform/terminal/term_raw.h"
#include "platform/terminal/term_type.h"

namespace {

// What consoleOpen read; the intro lines are kept within it.
ConsoleSize openedSize{0, 0};

// Where the terminal keeps no alternate screen (GNU screen's default, mosh,
// Emacs) the last picture would stay above the prompt: the screen is
// cleared, in plain colours, before the alternate screen is left.
void blankScreen() {
  for (const char* name : {"sgr0", "clear"}) {
    const char* bytes = tigetstr(name);
    if (bytes && bytes != reinterpret_cast<const char*>(-1))
      outputWriteWithin(STDOUT_FILENO, bytes, std::strlen(bytes), 200);
  }
}

// Everything that restores the terminal is queued first and goes out as
// one: when the terminal has stopped reading, the pictures it has not read
// make room for it. The shell's modes come back only once the terminal has
// answered every request of the game (or its link has stayed silent, or it
// gave no sign of reading): an answer that came later would be typed into
// the shell, and a Ctrl-C or Ctrl-Z typed meanwhile would discard the
// restore.
void handBack(bool closing) {
  outputHandOver();
  blankScreen();
  if (closing) inputClose();
  else inputPause();
  curs_set(1);
  endwin();
  if (outputStop()) inputAwaitAnswer();
  termShellModes();
}

}  // namespace

std::string consolePrepare() {
  if (!isatty(STDIN_FILENO)) return "serifall: standard input is not a terminal";
  if (!isatty(STDOUT_FILENO)) return "serifall: standard output is not a terminal";
  return termSettle();
}

std::string consoleOpen(ConsoleSize& size) {
  if (!outputStart(STDOUT_FILENO, std::getenv("TERM"))) return outputError;
  openedSize = ConsoleSize{getmaxy(stdscr), getmaxx(stdscr)};
  size = openedSize;
  curs_set(0);
  noecho();
  // The input layer reads the terminal itself; curses must not poll it.
  typeahead(-1);
  return "";
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

void consoleClose() { handBack(true); }

void consoleSuspend() { handBack(false); }

// Refreshing after endwin takes the terminal back and repaints it whole.
void consoleResume() {
  outputResume();
  curs_set(0);
  outputShow(1000);
  inputResume();
}
