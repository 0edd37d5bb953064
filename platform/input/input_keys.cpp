#include "platform/input/input_keys.h"

#include <csignal>

#include "platform/input/input_pointer.h"

namespace {

enum Phase : uint8_t { idle, tapped, candidate, repeating };

constexpr uint8_t kCtrlC = 0x03;
constexpr uint8_t kCtrlBackslash = 0x1c;
constexpr uint8_t kCtrlZ = 0x1a;
constexpr int32_t kCtrlQ = 0x11;
constexpr int32_t kCtrlW = 0x17;
constexpr int32_t kCtrlBit = 4;
constexpr int32_t kTypeRelease = 3;
// Shortest autorepeat delay taken as real (kbdrate's minimum is 250 ms;
// some people set 200 ms under X).
constexpr int64_t kShortestDelay = 200000;
constexpr int64_t kLongestDelay = 1000000;
constexpr int64_t kDelayMargin = 60000;
// Bytes read together carry the same time; their zero gaps say nothing
// about the repeat rate.
constexpr int64_t kShortestGap = 5000;

int64_t clampTime(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// One rule for every terminal: Shift or Ctrl held with W, space or Q
// leaves the key what it is (Ctrl-Q quits). Kitty reports the key with its
// modifiers; other terminals send Ctrl with a letter as a control byte.
int keyFor(int32_t code) {
  if (code == 'w' || code == 'W' || code == kCtrlW) return keyW;
  if (code == ' ') return keySpace;
  if (code == 'q' || code == 'Q' || code == kCtrlQ) return keyQ;
  return -1;
}

// Kitty's private-use codes of Shift, Ctrl, Alt, Super, Hyper, Meta, the
// ISO level shifts and the lock keys: pressing one alone is no "key".
bool modifierCode(int32_t code) {
  return (code >= 57441 && code <= 57454) || (code >= 57358 && code <= 57360);
}

int64_t medianGap(const RepeatTiming& timing) {
  int64_t sorted[kGapHistory] = {};
  int n = timing.gapCount;
  for (int i = 0; i < n; i++) {
    int64_t v = timing.gaps[i];
    int j = i;
    for (; j > 0 && sorted[j - 1] > v; j--) sorted[j] = sorted[j - 1];
    sorted[j] = v;
  }
  return sorted[n / 2];
}

void learnGap(RepeatTiming& timing, int64_t gap) {
  if (gap < kShortestGap) return;
  timing.gaps[timing.gapNext] = gap;
  timing.gapNext = (timing.gapNext + 1) % kGapHistory;
  if (timing.gapCount < kGapHistory) timing.gapCount++;
  timing.repeatHold = clampTime(3 * medianGap(timing), 60000, 250000);
}

// The candidate's gap is the keyboard's delay, unless the real first repeat
// was taken for a tap (T1 too short): then the gap before that tap is.
void learnDelay(RepeatTiming& timing, const HeldKey& key) {
  int64_t delay = key.candidateDelay;
  if (delay < kShortestDelay && key.tapGap >= kShortestDelay) delay = key.tapGap;
  if (delay < kShortestDelay || delay > kLongestDelay) return;
  timing.delayWindow = clampTime(delay + kDelayMargin, 250000, kLongestDelay);
}

void timedPress(RepeatTiming& timing, HeldKey& key, int64_t now) {
  int64_t gap = now - key.lastPress;
  bool watching = key.phase != idle;
  if (key.phase == repeating && gap <= timing.repeatHold) {
    learnGap(timing, gap);
    key.downUntil = now + timing.repeatHold;
  } else if (key.phase == candidate && gap <= kConfirmMicros) {
    learnDelay(timing, key);
    learnGap(timing, gap);
    key.phase = repeating;
    key.downUntil = now + timing.repeatHold;
  } else if (watching && gap <= timing.delayWindow) {
    key.phase = candidate;
    key.candidateDelay = gap;
    key.downUntil = now + kTapMicros;
  } else {
    key.phase = tapped;
    key.tapGap = watching ? gap : -1;
    key.downUntil = now + kTapMicros;
  }
  key.lastPress = now;
}

void releaseKey(HeldKey& key) {
  key.reported = false;
  key.latched = false;
  key.phase = idle;
  key.downUntil = 0;
}

// Steady turning from the last count up to `upTo`: while autorepeat holds
// the key (timed), or from kSteadyAfterMicros after the press until the
// release (exact).
void accrue(ArrowKey& arrow, bool exact, int64_t upTo) {
  int64_t from = arrow.turnedTo;
  int64_t until = upTo;
  if (exact) {
    if (!arrow.key.reported) until = from;
    if (from < arrow.heldSince + kSteadyAfterMicros) from = arrow.heldSince + kSteadyAfterMicros;
  } else {
    if (arrow.key.phase != repeating) until = from;
    if (until > arrow.key.downUntil) until = arrow.key.downUntil;
  }
  if (until > from) arrow.owed += turnUnits(arrow.carry, until - from);
  if (upTo > arrow.turnedTo) arrow.turnedTo = upTo;
}

bool exactArrow(const ArrowKey& arrow) { return arrow.heldSince >= 0; }

}  // namespace

void keysArrow(KeyTracker& keys, InputArrow which, int32_t type, bool exact, int64_t now) {
  ArrowKey& arrow = keys.arrows[which];
  accrue(arrow, exactArrow(arrow), now);
  if (type == 1) keys.anyKey = true;
  if (!exact) {
    arrow.heldSince = -1;
    timedPress(keys.arrowTiming, arrow.key, now);
    if (arrow.key.phase != repeating) arrow.owed += 1;
    return;
  }
  if (type == kTypeRelease) {
    arrow.key.reported = false;
  } else if (!arrow.key.reported) {
    arrow.key.reported = true;
    arrow.heldSince = now;
    arrow.carry = 0;
    arrow.owed += 1;
  }
}

void keysTurn(KeyTracker& keys, int64_t now, int32_t& x, int32_t& y) {
  int64_t cells[arrowCount];
  for (int a = 0; a < arrowCount; a++) {
    ArrowKey& arrow = keys.arrows[a];
    accrue(arrow, exactArrow(arrow), now);
    cells[a] = arrow.owed;
    arrow.owed = 0;
  }
  x = static_cast<int32_t>(cells[arrowRight] - cells[arrowLeft]);
  y = static_cast<int32_t>(cells[arrowDown] - cells[arrowUp]);
}

void keysByte(KeyTracker& keys, uint8_t byte, int64_t now) {
  keys.anyKey = true;
  if (byte == kCtrlC) keys.signalKey = SIGINT;
  if (byte == kCtrlBackslash) keys.signalKey = SIGQUIT;
  if (byte == kCtrlZ) keys.suspend = true;
  int k = keyFor(byte);
  if (k < 0) return;
  timedPress(keys.timing, keys.keys[k], now);
  keys.keys[k].latched = true;  // a release read with it must not undo it unseen
}

void keysKitty(KeyTracker& keys, int32_t code, int32_t mods, int32_t type) {
  int32_t bits = mods > 0 ? mods - 1 : 0;
  bool press = type != kTypeRelease;
  if (press && (bits & kCtrlBit) != 0) {
    if (code == 'c') keys.signalKey = SIGINT;
    if (code == '\\') keys.signalKey = SIGQUIT;
    if (code == 'z') keys.suspend = true;
  }
  if (press && type == 1 && !modifierCode(code)) keys.anyKey = true;
  int k = keyFor(code);
  if (k < 0) return;
  HeldKey& key = keys.keys[k];
  if (press) {
    key.reported = true;
    key.latched = true;
  } else {
    bool tapped = key.latched;  // a tap stays down until the poll has seen it
    releaseKey(key);
    key.latched = tapped;
  }
}

bool keyDown(const KeyTracker& keys, InputKey key, int64_t now) {
  const HeldKey& held = keys.keys[key];
  return held.reported || held.latched || now < held.downUntil;
}

void keysPolled(KeyTracker& keys) {
  for (HeldKey& key : keys.keys) key.latched = false;
}

void keysRelease(KeyTracker& keys) {
  for (HeldKey& key : keys.keys) releaseKey(key);
  for (ArrowKey& arrow : keys.arrows) arrow = ArrowKey{};
}
