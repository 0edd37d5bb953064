// Held state of W, space and Q from what a terminal reports.
//
// Exact where the terminal reports releases (kitty keyboard protocol). A
// terminal delivers events in batches, and a quick tap (or packets merged
// over SSH) can put a press and its release in one read: a key pressed
// since the last poll reads down in that poll even when its release came
// with it, so no tap is lost; keysPolled marks the poll.
// Otherwise only presses arrive, so holds are timed from them:
//   - a press of a key that is not repeating reads down for kTapMicros, so
//     a tap gives one shot whatever the fire interval;
//   - a press within the autorepeat delay window (T1) of the previous press
//     is a candidate first repeat and reads down for kTapMicros too (a quick
//     double tap stays two single shots);
//   - a further press within kConfirmMicros of a candidate confirms the
//     autorepeat: from then on the key reads down until T2 after its latest
//     repeat.
// So a hold gives one shot, a pause of the keyboard's repeat delay, then a
// continuous hold that ends T2 after the last repeat. T1 and T2 are learned
// from confirmed autorepeat (T1 = delay + 60 ms in 250..1000 ms, T2 = 3 x
// the median repeat gap in 60..250 ms).
//
// The arrow keys turn the view, for terminals that send no pointer motion:
// each press that begins a tap turns one cell; a held arrow turns steadily
// at kEdgeRate cells a second, as the pointer resting on the window's edge
// does. Held means confirmed autorepeat where only presses arrive (so the
// steady turn begins after the keyboard's delay, and ends T2 after the last
// repeat), and down for kSteadyAfterMicros where releases are exact.
#pragma once

#include <cstdint>

enum InputKey : int { keyW = 0, keySpace = 1, keyQ = 2, keyCount = 3 };

constexpr int64_t kTapMicros = 60000;
constexpr int64_t kDelayWindowDefault = 700000;  // T1
constexpr int64_t kRepeatHoldDefault = 150000;   // T2
constexpr int64_t kConfirmMicros = 250000;
constexpr int kGapHistory = 8;
// An exact arrow held this long is a hold, not a tap (kbdrate's shortest
// autorepeat delay).
constexpr int64_t kSteadyAfterMicros = 250000;

enum InputArrow : int { arrowUp = 0, arrowDown = 1, arrowRight = 2, arrowLeft = 3, arrowCount = 4 };

struct RepeatTiming {
  int64_t delayWindow = kDelayWindowDefault;
  int64_t repeatHold = kRepeatHoldDefault;
  int64_t gaps[kGapHistory] = {};
  int gapCount = 0;
  int gapNext = 0;
};

struct HeldKey {
  bool reported = false;  // pressed and not yet released (kitty)
  bool latched = false;   // pressed since the last poll
  uint8_t phase = 0;      // idle, tapped, candidate, repeating
  int64_t lastPress = 0;
  int64_t downUntil = 0;
  int64_t candidateDelay = 0;  // gap before the candidate first repeat
  int64_t tapGap = -1;         // gap before the press that began the tap, -1 none
};

struct ArrowKey {
  HeldKey key;
  int64_t heldSince = 0;  // exact: when the press came
  int64_t turnedTo = 0;   // steady turning counted up to here
  int64_t carry = 0;      // cell-microseconds short of a whole cell
  int64_t owed = 0;       // cells not yet taken
};

struct KeyTracker {
  HeldKey keys[keyCount];
  ArrowKey arrows[arrowCount];
  // Learnt from the arrows alone, so that they never change how W, space
  // and Q are timed.
  RepeatTiming arrowTiming;
  RepeatTiming timing;
  int signalKey = 0;     // Ctrl-C (SIGINT) or Ctrl-\ (SIGQUIT) arrived as a key
  bool suspend = false;  // Ctrl-Z arrived as a key
  bool anyKey = false;   // some key was pressed (the intro waits for this)
};

// A byte typed in a terminal without release reports.
void keysByte(KeyTracker& keys, uint8_t byte, int64_t now);

// A kitty key report; modifier and lock bits do not matter, except that
// Ctrl+C, Ctrl+\ and Ctrl+Z become quit and suspend requests.
void keysKitty(KeyTracker& keys, int32_t code, int32_t mods, int32_t type);

// An arrow key: a press, repeat or release (types 1, 2, 3 as kitty's)
// where the terminal reports releases (`exact`), otherwise a press.
void keysArrow(KeyTracker& keys, InputArrow arrow, int32_t type, bool exact, int64_t now);

// The arrows' turning up to `now`, in cells (right and down positive).
void keysTurn(KeyTracker& keys, int64_t now, int32_t& x, int32_t& y);

bool keyDown(const KeyTracker& keys, InputKey key, int64_t now);

// The state of this poll has been read: taps reported so far are spent.
void keysPolled(KeyTracker& keys);

// Releases every key and arrow, dropping turns not yet taken (focus lost,
// resume, after the intro); learned timing and pending requests stay.
void keysRelease(KeyTracker& keys);
