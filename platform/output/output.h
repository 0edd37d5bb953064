// The terminal side of the picture: curses writes into a pipe, and its bytes
// go on to the terminal with writes that never wait, at the pace that
// output_pace decides. A slow or stopped terminal makes pictures skip; it
// never holds up the frame loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Set by the start-up probe when the terminal knows synchronized output
// (mode 2026): each picture is then sent between its begin and end marks,
// so the terminal never shows half of one.
extern bool outputSynchronized;

// Counts frames whose output had to sleep (two extra calls per sending
// frame, so only the benchmark turns it on).
extern bool outputCountSwitches;

struct OutputCounts {
  uint64_t bytes = 0;             // taken by the terminal
  uint64_t writes = 0;            // write calls that took bytes
  uint64_t pictures = 0;          // pictures made
  uint64_t made = 0;              // bytes of every picture made, sent or not
  int64_t longestWaitMicros = 0;  // longest one frame spent in output calls
  uint64_t blockedFrames = 0;     // frames whose output slept (see below)
};
extern OutputCounts outputCounts;

// Why outputStart failed: one line for the player.
extern std::string outputError;

// Starts curses (newterm) for the terminal on ttyFd, with standard input as
// its input, saves the shell's modes and sets the game's. False, with
// outputError, when it cannot start or could not keep a stalled terminal
// from holding the game (no descriptor left to write without waiting).
bool outputStart(int ttyFd, const char* termType);

// Every frame: the picture goes to curses; it reaches the terminal when due.
void outputFrame();

// Sends the picture now, waiting at most `millis` for the terminal.
void outputShow(int millis);

// The terminal answered the start-up probe's DA1 (perhaps late): from now
// on each picture is followed by a DA1 request, and the next picture waits
// for the answers (see output_pace.h).
void outputAskAnswers();

// A DA1 answer arrived at `now`; false when no picture was waiting for one.
bool outputAnswered(int64_t now);

// The round trip of the latest answer, 0 before any.
int outputRoundTripMillis();

// Handing the terminal back (exit, Ctrl-Z): everything written from here on
// restores it, and only queues until outputStop.
void outputHandOver();

// After endwin: what waits goes out within a bounded wait. When the terminal
// has stopped reading, the pictures it has not read are thrown away so the
// restore is the first thing it reads when it reads again. The modes are
// the caller's (term_raw); outputResume sets the game's again. False when
// the terminal did not take everything in time (it stopped reading).
bool outputStop();
void outputResume();

// Closes what outputStart opened, after endwin and outputStop (the
// benchmark starts one terminal per scene).
void outputRelease();

// Writes bytes to fd within `millis`, after any picture bytes still waiting,
// so that they never land inside a picture's escape sequence. What the
// terminal does not take in time is dropped.
void outputWriteWithin(int fd, const char* bytes, size_t length, int millis);
