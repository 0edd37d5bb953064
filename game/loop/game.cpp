// The program: start-up, the frame loop and every way out of it.
#include "game/loop/game.h"

#include <cstdio>
#include <string>

#include "game/display/colour_pairs.h"
#include "game/loop/frame.h"
#include "game/loop/random.h"
#include "game/loop/state.h"
#include "platform/console.h"
#include "platform/input/input.h"
#include "platform/terminal/signals.h"

namespace {

// The terminal went away without a hangup signal (end of file, EIO): not a
// normal end, which keeps 0 for Q.
constexpr int kLostTerminalStatus = 3;

// Hands the terminal back as it was, stops, and takes it again on resume.
// Time spent stopped is not game time.
void suspendGame() {
  consoleSuspend();
  stopProcess();
  consoleResume();
  frameTimer.Resync();
}

// The intro line stays up until a key (or a way out) arrives.
bool waitForKey() {
  consoleShowLines(
      {"Studio 'Vellmoor' przedstawia gre: Serifall", "Aby kontynuowac, nacisnij dowolny klawisz . . ."});
  // The wait returns early for a signal too, so the flags are seen.
  for (;;) {
    if (inputWaitKey()) return true;
    if (!suspendSignal) return false;
    suspendGame();
  }
}

void playUntilQuit() {
  resetGame(clockSeed());
  startGame();
  while (runFrame()) {
    if (quitSignal || frameInput.hangup) return;
    if (suspendSignal || frameInput.suspend) suspendGame();
  }
}

// Start-up problems end the program with one line and status 1, before the
// terminal was changed at all.
bool failed(const std::string& problem) {
  if (problem.empty()) return false;
  std::fprintf(stderr, "%s\n", problem.c_str());
  return true;
}

}  // namespace

int runGame() {
  if (failed(consolePrepare())) return 1;
  installSignalHandlers();
  ConsoleSize size{0, 0};
  if (failed(consoleOpen(size))) return 1;
  screenRows = size.rows;
  screenCols = size.cols;
  setUpColours();
  prepareCrashRestore();
  inputOpen(0, 1);
  if (!quitSignal && waitForKey()) playUntilQuit();
  bool lost = inputLost();
  consoleClose();
  if (quitSignal) dieOfSignal(quitSignal);
  if (frameInput.signalKey) dieOfSignal(frameInput.signalKey);
  return lost ? kLostTerminalStatus : 0;
}
