// Every signal that ends the game gives the terminal back first, even when
// the stack has overflowed or the terminal has stopped taking output.
#include <gtest/gtest.h>

#include <curses.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <term.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "platform/output/output.h"
#include "platform/terminal/signals.h"
#include "platform/terminal/term_raw.h"

namespace {

const std::string kLeaveAlternateScreen = "\x1b[?1049l";

volatile int depthLimit = 1 << 30;

// Deep enough to overflow any stack; the volatile keeps the frames.
int overflow(int n) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(n);
  if (n >= depthLimit) return frame[0];
  return overflow(n + 1) + frame[0];
}

struct Ending {
  int sig;                    // SIGSEGV comes from overflowing the stack, the others are raised
  bool stalled;               // the terminal takes no output at all
  bool synchronized = false;  // pictures go as synchronized updates
};

// Runs a child whose "terminal" output is the pipe; returns how it ended
// and what it wrote.
std::string runChild(const Ending& e, int* status) {
  int out[2];
  if (pipe(out) != 0) return "no pipe";
  const std::string junk(4096, 'j');  // fills a pipe of the smallest size
  if (e.stalled && (fcntl(out[1], F_SETPIPE_SZ, 4096) != 4096 || write(out[1], junk.data(), 4096) != 4096))
    return "not stalled";
  pid_t pid = fork();
  if (pid == 0) {
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    dup2(out[1], STDOUT_FILENO);
    int error = 0;
    setupterm("xterm-256color", STDOUT_FILENO, &error);
    installSignalHandlers();
    prepareCrashRestore();
    outputSynchronized = e.synchronized;
    if (e.sig == SIGSEGV) overflow(0);
    raise(e.sig);
    _exit(99);
  }
  close(out[1]);
  std::string written;
  if (!e.stalled) {
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
      written.append(buffer, static_cast<size_t>(n));
  }
  // A hang is the fault caught here; the limit is far beyond any real wait.
  for (int i = 0; i < 2000 && waitpid(pid, status, WNOHANG) == 0; i++) usleep(10000);
  if (waitpid(pid, status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, status, 0);
    written += "(hung)";
  }
  close(out[0]);
  return written;
}

}  // namespace

TEST(Signals, EveryTerminatingSignalRestoresThenDiesOfIt) {
  // The fatal signals are one list: a stack overflow (the handler needs its
  // own stack), a raised one, the real-time range's ends, and a terminal
  // that takes nothing (the restore gives up instead of hanging).
  const Ending endings[] = {{SIGSEGV, false},        {SIGQUIT, false},  {SIGPIPE, false, true},
                            {SIGRTMIN, false, true}, {SIGRTMAX, false}, {SIGABRT, true}};
  for (const Ending& e : endings) {
    int status = 0;
    std::string written = runChild(e, &status);
    std::string name = std::to_string(e.sig) + (e.stalled ? " stalled" : "");
    ASSERT_TRUE(WIFSIGNALED(status)) << name << " status " << status << " " << written;
    EXPECT_EQ(WTERMSIG(status), e.sig) << name;
    if (e.stalled) {
      EXPECT_EQ(written, "") << name;
      continue;
    }
    EXPECT_NE(written.find(kLeaveAlternateScreen), std::string::npos) << name << " wrote " << written;
    // A picture cut short is cancelled, and its synchronized update ended,
    // before anything else.
    const std::string first = e.synchronized ? "\x18\x1b[?2026l" : "\x18";
    EXPECT_EQ(written.substr(0, first.size() + 1), first + "\x1b") << name;
    EXPECT_EQ(written.find("\x1b[?2026l") == 1, e.synchronized) << name;
  }
}

// A crash in play leaves the shell its own modes: echo, line editing and
// signal keys back on the terminal, not the game's raw ones.
TEST(Signals, CrashGivesTheShellItsModes) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios shell{};
  ASSERT_EQ(tcgetattr(slave, &shell), 0);
  pid_t pid = fork();
  if (pid == 0) {
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    if (!termSaveModes(STDIN_FILENO) || !termPlayModes()) _exit(98);
    installSignalHandlers();
    raise(SIGSEGV);
    _exit(99);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  termios after{};
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_EQ(after.c_lflag, shell.c_lflag);
  EXPECT_EQ(after.c_iflag, shell.c_iflag);
  EXPECT_EQ(after.c_oflag, shell.c_oflag);
  close(master);
  close(slave);
}
