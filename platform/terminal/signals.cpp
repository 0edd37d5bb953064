#include "platform/terminal/signals.h"

// Ours before term.h: terminfo's capability macros (hangup, lines, ...)
// would otherwise rewrite names in them.
#include "platform/output/output.h"
#include "platform/terminal/term_modes.h"
#include "platform/terminal/term_raw.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <term.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>

volatile sig_atomic_t quitSignal = 0;
volatile sig_atomic_t suspendSignal = 0;

namespace {

// How long the restore may wait for a terminal that stopped reading (a
// stalled SSH link, a pane nobody drains) before giving up on it.
constexpr int kWriteWaitMillis = 100;
// Enough for the handler itself even when the main stack has overflowed.
constexpr size_t kAltStackSize = 64 * 1024;

char crashRestore[256];
size_t crashRestoreLength = 0;
alignas(16) char altStack[kAltStackSize];

// Signals that end the process by default and that nothing else here
// handles: each gives the terminal back first, then ends the process by
// the same signal.
constexpr int kFatalSignals[] = {
    SIGSEGV,   SIGABRT, SIGBUS,  SIGFPE, SIGILL,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
    SIGVTALRM, SIGPROF, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ, SIGPIPE, SIGIO,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// Async-signal-safe and bounded: waits at most kWriteWaitMillis for room,
// writes without blocking (the descriptor's flags are put back at once,
// since the open file is shared with the shell), retries EINTR.
void writeAll(const char* bytes, size_t length) {
  int flags = fcntl(STDOUT_FILENO, F_GETFL);
  int waited = 0;
  while (length > 0 && waited <= kWriteWaitMillis) {
    pollfd fd{STDOUT_FILENO, POLLOUT, 0};
    int ready = poll(&fd, 1, 10);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) {
      waited += 10;
      continue;
    }
    if (flags >= 0) fcntl(STDOUT_FILENO, F_SETFL, flags | O_NONBLOCK);
    ssize_t n = write(STDOUT_FILENO, bytes, length);
    int error = errno;
    if (flags >= 0) fcntl(STDOUT_FILENO, F_SETFL, flags);
    if (n < 0 && (error == EINTR || error == EAGAIN)) continue;
    if (n <= 0) return;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
}

void onQuit(int sig) { quitSignal = sig; }
void onSuspend(int) { suspendSignal = 1; }

// Only async-signal-safe calls: write, poll, fcntl, tcsetattr, raise.
void onFatal(int sig) {
  int savedErrno = errno;
  // A picture cut short would make the terminal swallow or hold back the
  // restore, as at a handover.
  writeAll(kPictureCutShort, outputCutShortLength());
  writeAll(termRestoreBuffer, static_cast<size_t>(termRestoreLength));
  writeAll(crashRestore, crashRestoreLength);
  termShellModes();
  errno = savedErrno;
  raise(sig);  // the handler was reset on entry, so this is the default action
}

void appendCapability(const char* name) {
  const char* value = tigetstr(name);
  if (!value || value == reinterpret_cast<const char*>(-1)) return;
  size_t length = std::strlen(value);
  if (crashRestoreLength + length > sizeof crashRestore) return;
  std::memcpy(crashRestore + crashRestoreLength, value, length);
  crashRestoreLength += length;
}

void installAltStack() {
  stack_t stack;
  std::memset(&stack, 0, sizeof stack);
  stack.ss_sp = altStack;
  stack.ss_size = sizeof altStack;
  sigaltstack(&stack, nullptr);
}

}  // namespace

void setSignalHandler(int sig, void (*handler)(int), int flags) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  sigaction(sig, &action, nullptr);
}

void installSignalHandlers() {
  installAltStack();
  // No SA_RESTART: a blocking wait must return so the flags are seen.
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) setSignalHandler(sig, onQuit, 0);
  setSignalHandler(SIGTSTP, onSuspend, 0);
  for (int sig : kFatalSignals) setSignalHandler(sig, onFatal, SA_RESETHAND | SA_NODEFER | SA_ONSTACK);
  // Real-time signals end the process by default too.
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; sig++)
    setSignalHandler(sig, onFatal, SA_RESETHAND | SA_NODEFER | SA_ONSTACK);
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
  // Ctrl-\ is a way to quit, not a request for a core file.
  rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
  setSignalHandler(sig, SIG_DFL, 0);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);
}
