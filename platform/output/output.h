// The terminal side of the picture: curses writes into a pipe, and its bytes
// go on to the terminal with writes that never wait, at the pace that
// output_pace decides. A slow or stopped terminal makes pictures skip; it
// never holds up the frame loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/terminal/answers.h"

// Set by the start-up probe when the terminal knows synchronized output
// (mode 2026): each picture is then sent between its begin and end marks,
// so the terminal never shows half of one.
extern bool outputSynchronized;

// What ends a picture cut short before anything else is written (a
// handover, a crash): CAN cancels the sequence it stopped in, then the
// synchronized update it opened is ended (those bytes alone end every
// synchronized picture).
constexpr char kPictureCutShort[] = "\x18\x1b[?2026l";
constexpr const char* kSyncEnd = kPictureCutShort + 1;
constexpr size_t kSyncEndLength = sizeof kPictureCutShort - 2;
// How much of it a restore writes: the end mark only where pictures are
// synchronized. Async-signal-safe.
size_t outputCutShortLength();

// Counts frames whose output had to sleep (two extra calls per sending
// frame, so only the benchmark turns it on).
extern bool outputCountSwitches;

struct OutputCounts {
  uint64_t bytes = 0;             // taken by the terminal
  uint64_t writes = 0;            // write calls that took bytes
  uint64_t pictures = 0;          // pictures made
  uint64_t made = 0;              // bytes of every picture made, sent or not
  int64_t longestWaitMicros = 0;  // longest one frame spent in output calls
  uint64_t blockedFrames = 0;     // frames whose output slept (outputCountSwitches)
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

// Pictures carry requests from now on, as once the terminal has answered
// the start-up probe (the benchmark's terminals are not probed).
void outputAskAnswers();

// The answer to `picture` came at `now` (answers.h decides whose it is):
// the pace learns the link from it (output_pace.h).
void outputPictureAnswered(int64_t now, const AskedPicture& picture);

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
// so that they never land inside a picture's escape sequence. While curses
// runs, what the terminal does not take in time waits with the picture's
// bytes (for the next frame, or the stop); before, it is dropped.
void outputWriteWithin(int fd, const char* bytes, size_t length, int millis);
