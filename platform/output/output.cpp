#include "platform/output/output.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/input/input_clock.h"
#include "platform/output/output_pace.h"
#include "platform/terminal/answers.h"
#include "platform/terminal/signals.h"
#include "platform/terminal/term_raw.h"

bool outputSynchronized = false;
bool outputCountSwitches = false;
OutputCounts outputCounts;
std::string outputError;

namespace {

constexpr char kSyncBegin[] = "\x1b[?2026h";
// At exit and on Ctrl-Z: long enough for any live terminal, short enough
// that a stopped one cannot keep the game from ending.
constexpr int kStopMillis = 300;

bool started = false;
int ttyFd = -1;    // the terminal: modes and size
int writeFd = -1;  // the terminal again, opened non-blocking for writes
int pipeRead = -1;
FILE* cursesOut = nullptr;
SCREEN* cursesScreen = nullptr;
OutputPace pace;
volatile sig_atomic_t resized = 1;
std::vector<char> pending;  // picture bytes the terminal has not taken yet
size_t pendingAt = 0;
// From here on `pending` holds what gives the terminal back; negative while
// no handover runs.
long handOverFrom = -1;

void append(const char* bytes, size_t length) { pending.insert(pending.end(), bytes, bytes + length); }

// Takes everything curses has written so far; returns how many bytes.
long collect() {
  char chunk[65536];
  long total = 0;
  for (;;) {
    ssize_t n = read(pipeRead, chunk, sizeof chunk);
    if (n > 0) {
      append(chunk, static_cast<size_t>(n));
      outputCounts.made += static_cast<uint64_t>(n);
      total += n;
    }
    if (n < static_cast<ssize_t>(sizeof chunk) && !(n < 0 && errno == EINTR)) return total;
  }
}

bool hasPending() { return pendingAt < pending.size(); }

void dropPending() {
  pending.clear();
  pendingAt = 0;
}

// Writes what the terminal takes at once. A terminal that is gone takes
// nothing ever again; its bytes are dropped (the input side notices it).
void pushSome() {
  uint64_t took = 0;
  bool full = false;
  while (hasPending()) {
    ssize_t n = write(writeFd, pending.data() + pendingAt, pending.size() - pendingAt);
    if (n > 0) {
      pendingAt += static_cast<size_t>(n);
      took += static_cast<uint64_t>(n);
      ++outputCounts.writes;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    full = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    if (!full) dropPending();
    break;
  }
  if (!hasPending()) dropPending();
  outputCounts.bytes += took;
  paceTook(pace, inputClockMicros(), took, full);
}

bool waitWritable(int fd, int millis) {
  pollfd p{fd, POLLOUT, 0};
  int ready = poll(&p, 1, millis);
  return ready > 0;  // an error or hangup counts: the write then tells
}

bool writableNow() { return waitWritable(writeFd, 0); }

// Waits until the terminal has taken everything or the time is up (a
// negative limit waits for ever, as a blocking refresh does).
void pushWithin(int millis) {
  int64_t deadline = inputClockMicros() + static_cast<int64_t>(millis) * 1000;
  for (;;) {
    pushSome();
    if (!hasPending()) return;
    int left = millis < 0 ? -1 : static_cast<int>((deadline - inputClockMicros() + 999) / 1000);
    if (millis >= 0 && left <= 0) return;
    waitWritable(writeFd, left);
  }
}

// curses reads its size from the environment since it writes into a pipe;
// a resized terminal gets the new size and a whole new picture.
void followSize() {
  if (!resized) return;
  resized = 0;
  winsize ws{};
  if (ioctl(ttyFd, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0) return;
  if (ws.ws_row == LINES && ws.ws_col == COLS) return;
  setenv("LINES", std::to_string(ws.ws_row).c_str(), 1);
  setenv("COLUMNS", std::to_string(ws.ws_col).c_str(), 1);
  resizeterm(ws.ws_row, ws.ws_col);
  clearok(curscr, TRUE);
  wnoutrefresh(stdscr);
}

// One picture: curses diffs it against what the terminal shows and writes
// the difference into the pipe.
void makePicture() {
  followSize();
  size_t before = pending.size();
  if (outputSynchronized) pending.insert(pending.end(), kSyncBegin, kSyncBegin + sizeof kSyncBegin - 1);
  size_t start = pending.size();
  doupdate();
  long collected = collect();
  if (pending.size() == start) {
    pending.resize(before);  // nothing differed: nothing to bracket
    return;
  }
  if (outputSynchronized) append(kSyncEnd, kSyncEndLength);
  if (terminalAnswers.answering) append(kAnswerRequest, kAnswerRequestLength);
  uint64_t bytes = pending.size() - before;
  outputCounts.made += bytes - static_cast<uint64_t>(collected);
  ++outputCounts.pictures;
  paceSent(pace, terminalAnswers, inputClockMicros(), bytes);
}

void askAlone(int64_t now) {
  append(kAnswerRequest, kAnswerRequestLength);
  paceAsked(pace, terminalAnswers, now);
}

// A thread that had to sleep in a call made a voluntary switch: the proof
// that output waited on the terminal, apart from being preempted.
long voluntarySwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

void onResize(int) { resized = 1; }

// curses' own handler would read the size from the pipe it writes into.
void catchResize() { setSignalHandler(SIGWINCH, onResize, SA_RESTART); }

// Writes go through a descriptor of their own, opened non-blocking: the
// one curses was given is shared with the shell, which must never find it
// non-blocking. Without one the game cannot keep a stalled terminal from
// holding it, and refuses to start.
int openWriteFd(int fd) {
  const char* name = ttyname(fd);
  int own = name ? open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (own >= 0) return own;
  // No name (a terminal from another mount namespace): the same terminal
  // through /proc is a new open file all the same.
  std::string proc = "/proc/self/fd/" + std::to_string(fd);
  return open(proc.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

bool fail(const char* what) {
  outputError = std::string("serifall: ") + what;
  if (errno != 0) outputError += std::string(" (") + std::strerror(errno) + ")";
  return false;
}

// curses reports no reason; the one a player can act on is a descriptor
// limit (its terminfo file cannot be opened).
int cursesFailure() {
  int spare = dup(STDERR_FILENO);
  if (spare < 0) return errno;
  close(spare);
  return 0;
}

// What goes out at a handover when the terminal stopped reading: the
// pictures waiting in the terminal's queue are thrown away, so the restore
// fits and is the first thing the terminal reads when it reads again.
void keepOnlyHandOver() {
  tcflush(writeFd, TCOFLUSH);
  std::vector<char> restore(kPictureCutShort, kPictureCutShort + outputCutShortLength());
  size_t from = std::min(static_cast<size_t>(handOverFrom), pending.size());
  restore.insert(restore.end(), pending.begin() + static_cast<long>(from), pending.end());
  pending.swap(restore);
  pendingAt = 0;
}

}  // namespace

bool outputStart(int fd, const char* termType) {
  outputError.clear();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return fail("cannot open a pipe for the picture");
  // A whole repaint of a large window must fit between two drains.
  fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
  fcntl(fds[0], F_SETFL, O_NONBLOCK);
  int own = openWriteFd(fd);
  if (own < 0) {
    close(fds[0]);
    close(fds[1]);
    return fail("cannot open the terminal for writing");
  }
  winsize ws{};
  if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
    setenv("LINES", std::to_string(ws.ws_row).c_str(), 1);
    setenv("COLUMNS", std::to_string(ws.ws_col).c_str(), 1);
  }
  cursesOut = fdopen(fds[1], "w");
  SCREEN* screen = cursesOut ? newterm(termType, cursesOut, stdin) : nullptr;
  if (!screen) {
    int error = cursesFailure();
    if (cursesOut) std::fclose(cursesOut);
    else close(fds[1]);
    close(fds[0]);
    close(own);
    errno = error;
    return fail("curses cannot start on this terminal");
  }
  set_term(screen);
  // Some terminals (mosh's among them) do not repeat characters, though
  // their terminfo entry says so; the few bytes it saves are not worth a
  // broken picture.
  repeat_char = nullptr;
  cursesScreen = screen;
  ttyFd = fd;
  writeFd = own;
  pipeRead = fds[0];
  termSaveModes(ttyFd);
  termPlayModes();
  pace = OutputPace();
  terminalAnswers = TerminalAnswers();
  dropPending();
  handOverFrom = -1;
  catchResize();
  started = true;
  return true;
}

void outputFrame() {
  if (!started) {
    refresh();
    return;
  }
  wnoutrefresh(stdscr);
  if (resized) followSize();  // a shrunk screen may not change, yet must grow back
  bool changed = is_wintouched(newscr);
  if (!changed && !hasPending()) return;  // the common quiet frame: no clock, no call
  int64_t now = inputClockMicros();
  long switches = outputCountSwitches ? voluntarySwitches() : 0;
  paceExpire(pace, terminalAnswers, now);
  PaceStep step = paceStep(pace, terminalAnswers, now, changed, hasPending(), writableNow);
  int64_t waited = inputClockMicros() - now;
  if (step != PaceStep::nothing) {
    if (step == PaceStep::send) makePicture();
    if (step == PaceStep::ask) askAlone(now);
    int64_t t0 = inputClockMicros();
    pushSome();
    waited += inputClockMicros() - t0;
  }
  if (waited > outputCounts.longestWaitMicros) outputCounts.longestWaitMicros = waited;
  if (outputCountSwitches && voluntarySwitches() != switches) ++outputCounts.blockedFrames;
}

void outputShow(int millis) {
  if (!started) {
    refresh();
    return;
  }
  pushWithin(millis);
  dropPending();
  wnoutrefresh(stdscr);
  makePicture();
  pushWithin(millis);
}

size_t outputCutShortLength() { return outputSynchronized ? sizeof kPictureCutShort - 1 : 1; }

void outputAskAnswers() { terminalAnswers.answering = true; }

void outputPictureAnswered(int64_t now, const AskedPicture& picture) {
  if (started) paceAnswered(pace, now, picture);
}

void outputHandOver() {
  if (!started) return;
  std::fflush(cursesOut);
  collect();
  handOverFrom = static_cast<long>(pending.size());
}

bool outputStop() {
  if (!started) return true;
  std::fflush(cursesOut);
  collect();
  pushWithin(kStopMillis);
  bool tookAll = !hasPending();
  if (!tookAll && handOverFrom >= 0) {
    keepOnlyHandOver();
    pushWithin(kStopMillis);
  }
  // What did not go out cannot follow later: curses repaints on resume.
  dropPending();
  handOverFrom = -1;
  return tookAll;
}

void outputResume() {
  if (!started) return;
  termPlayModes();
  // The handover waited for every answer the link still delivered; what
  // did not come went to the shell or never will.
  answersForgetPictures(terminalAnswers);
  paceForgetAnswers(pace);
}

void outputRelease() {
  if (!started) return;
  started = false;
  dropPending();
  delscreen(cursesScreen);
  close(pipeRead);
  std::fclose(cursesOut);
  close(writeFd);
  pipeRead = writeFd = ttyFd = -1;
  cursesOut = nullptr;
  cursesScreen = nullptr;
  termForgetModes();
  signal(SIGWINCH, SIG_DFL);
}

void outputWriteWithin(int fd, const char* bytes, size_t length, int millis) {
  // What curses wrote so far goes first: the kitty flags pushed before the
  // switch to the alternate screen would land on the main screen's stack.
  // During a handover the bytes only queue: the stop sends them all, and
  // keeps them when the terminal stalls.
  if (started) {
    std::fflush(cursesOut);
    collect();
    append(bytes, length);
    if (handOverFrom < 0) pushWithin(millis);
    return;
  }
  int64_t deadline = inputClockMicros() + static_cast<int64_t>(millis) * 1000;
  // The descriptor is shared with the shell and standard input, so it is
  // non-blocking only for the length of these writes.
  int flags = fcntl(fd, F_GETFL);
  bool toggled = flags >= 0 && !(flags & O_NONBLOCK) && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
  while (length > 0) {
    ssize_t n = write(fd, bytes, length);
    if (n > 0) {
      bytes += n;
      length -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) break;
    int left = static_cast<int>((deadline - inputClockMicros() + 999) / 1000);
    if (left <= 0) break;
    waitWritable(fd, left);
  }
  if (toggled) fcntl(fd, F_SETFL, flags);
}
