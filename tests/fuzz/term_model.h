// What the game must see, given what the terminal sent: the invariants of
// the terminal input path, checked at every poll against the recognized
// tokens. Each invariant has a name; a violation prints it and aborts, so
// libFuzzer keeps the input. SERIFALL_FUZZ_SKIP (comma-separated names)
// turns single invariants off to look past a known fault.
#pragma once

#include <cstdint>

#include "fuzz/term_tokens.h"
#include "platform/input/input.h"
#include "platform/input/input_pointer.h"

struct KeyModel {
  int64_t lastPress = -1;        // time of the latest byte that may have pressed it
  bool pressSincePoll = false;   // ... since the previous poll
  bool kittyHeld = false;        // a kitty press may be in force (no release since)
  bool held = false;             // an exact press is in force: reads down
  bool tapDue = false;           // an exact press since the previous poll
  bool releaseArmed = false;     // released, nothing may have pressed it since
  bool releaseMayServe = false;  // ... and the first poll may still serve a tap
  int pollsSinceRelease = 0;
};

struct PointerModel {
  bool known = false;  // the tracker's last position is (x, y), no edge, nothing owed
  uint64_t x = 0;
  uint64_t y = 0;
  bool baseKnown = false;  // known at the previous poll
  uint64_t baseX = 0;
  uint64_t baseY = 0;
  bool clean = true;         // nothing unclear since the previous poll
  int64_t reports = 0;       // reports that may have moved it since the previous poll
  bool sizeUnknown = false;  // some report may have come while no size was known
  int32_t maxCols = 0;       // largest window so far, cells and pixels
  int32_t maxRows = 0;
  int32_t maxXpixel = 0;
  int32_t maxYpixel = 0;
};

struct ProbeModel {
  bool probing = false;
  int64_t deadline = 0;
  bool answered = false;   // a DA1 reply arrived whole
  bool mayAnswer = false;  // noise may have held one
  bool flags = false;      // a flags reply arrived whole before any DA1
  bool mayFlags = false;   // a flags reply may have arrived while probing
  bool pixels = false;     // the last whole 1016 report before any DA1 said "on"
  bool mayPixels = false;
};

struct TermModel {
  KeyModel keys[kFuzzKeys];
  PointerModel pointer;
  ProbeModel probe;
  bool mouse = true;    // terminal pointer reports wanted
  bool pushed = false;  // the kitty flags push went out
  // Kitty key reports count once the terminal confirms the pushed flags:
  // surely (an intact reply) or perhaps (a reply hidden in noise).
  bool kittyOn = false;
  bool kittyMaybe = false;
  bool pixelMode = false;  // pixel reports were asked for
  bool quitDue = false, suspendDue = false;
  bool mayQuit = false;  // a quit or suspend request may have arrived since the previous poll
  int64_t lastPoll = 0;
};

// Prints the broken invariant and aborts, unless it is skipped.
void invariantBroken(const char* name, const char* what, long long a = 0, long long b = 0);

void modelStart(TermModel& m, bool mouse, WindowSize window, int64_t now);
void modelResize(TermModel& m, WindowSize window);
// A token whose last byte was fed at `now`; `intact` when all its bytes
// arrived soon enough after its first.
void modelToken(TermModel& m, const Token& t, bool intact, const WindowSize& window, int64_t now);
// Bytes of a noise run fed at `now` (it may mean something once it ends).
void modelNoise(TermModel& m, const Token& t, int escapes, int64_t now);
void modelPoll(TermModel& m, const InputState& state, int64_t now);

// Probe answers taken up after the probe gave up: the flags pushed, the
// pointer switched to pixels. Only a probe that had no DA1 may see them.
void modelLate(TermModel& m, bool pushWritten, bool pixelsWritten);
void modelProbeBegin(TermModel& m, int64_t now);
void modelProbeCheck(const TermModel& m, bool over, int64_t now);
// After the probe and the modes: what was written to the terminal.
void modelEnabled(TermModel& m, bool probed, bool pushWritten, bool pixelsWritten);
void modelClosed(const TermModel& m, bool popWritten);
