#include "platform/signals.h"

// input.h before term.h: terminfo's capability macros (hangup, lines, ...)
// would otherwise rewrite names in it.
#include "platform/input.h"

#include <curses.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

volatile sig_atomic_t quitSignal = 0;
volatile sig_atomic_t suspendSignal = 0;

namespace {

termios savedModes;
bool haveSavedModes = false;
char crashRestore[256];
size_t crashRestoreLength = 0;

void writeAll(const char* bytes, size_t length) {
  while (length > 0) {
    ssize_t n = write(STDOUT_FILENO, bytes, length);
    if (n <= 0) return;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
}

void onQuit(int sig) { quitSignal = sig; }
void onSuspend(int) { suspendSignal = 1; }

// Only async-signal-safe calls: write, tcsetattr, raise.
void onCrash(int sig) {
  size_t length = 0;
  const char* modesOff = inputRestoreBytes(&length);
  writeAll(modesOff, length);
  writeAll(crashRestore, crashRestoreLength);
  if (haveSavedModes) tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedModes);
  raise(sig);  // the handler was reset on entry, so this is the default action
}

void handle(int sig, void (*handler)(int), int flags) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  sigaction(sig, &action, nullptr);
}

void appendCapability(const char* name) {
  const char* value = tigetstr(name);
  if (!value || value == reinterpret_cast<const char*>(-1)) return;
  size_t length = std::strlen(value);
  if (crashRestoreLength + length > sizeof crashRestore) return;
  std::memcpy(crashRestore + crashRestoreLength, value, length);
  crashRestoreLength += length;
}

}  // namespace

void installSignalHandlers() {
  haveSavedModes = tcgetattr(STDIN_FILENO, &savedModes) == 0;
  // No SA_RESTART: a blocking wait must return so the flags are seen.
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) handle(sig, onQuit, 0);
  handle(SIGTSTP, onSuspend, 0);
  for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
    handle(sig, onCrash, SA_RESETHAND | SA_NODEFER);
}

void prepareCrashRestore() {
  crashRestoreLength = 0;
  appendCapability("sgr0");
  appendCapability("cnorm");
  appendCapability("rmcup");
}

void stopProcess() {
  suspendSignal = 0;
  kill(getpid(), SIGSTOP);
}

void dieOfSignal(int sig) {
  handle(sig, SIG_DFL, 0);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);
}
