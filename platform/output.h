// The terminal side of the picture: curses writes into a pipe, and its bytes
// go on to the terminal with writes that never wait, at the pace that
// output_pace decides. A slow or stopped terminal makes pictures skip; it
// never holds up the frame loop.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Starts curses (newterm) for the terminal on ttyFd, with standard input as
// its input, and sets the terminal's modes that curses would set. False when
// curses could not start on it.
bool outputStart(int ttyFd, const char* termType);

// Every frame: the picture goes to curses; it reaches the terminal when due.
void outputFrame();

// Sends the picture now, waiting at most `millis` for the terminal.
void outputShow(int millis);

// After endwin: what curses wrote goes out within a bounded wait and the
// terminal's modes are put back. outputResume sets them again for play.
void outputStop();
void outputResume();

// Closes what outputStart opened, after endwin and outputStop (the
// benchmark starts one terminal per scene).
void outputRelease();

// Writes bytes to fd within `millis`, after any picture bytes still waiting,
// so that they never land inside a picture's escape sequence. What the
// terminal does not take in time is dropped.
void outputWriteWithin(int fd, const char* bytes, size_t length, int millis);
