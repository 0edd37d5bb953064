#include "fuzz/term_model.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/input/term/term_input.h"

namespace {

// A timed key reads down at most this long after the press that may have
// caused it: a tap for 60 ms, a repeat until T2, which is learned up to
// 250 ms.
constexpr int64_t kLongestTimedHold = 250000;

bool skipped(const char* name) {
  static const std::string skip = [] {
    const char* s = std::getenv("SERIFALL_FUZZ_SKIP");
    return "," + std::string(s ? s : "") + ",";
  }();
  return skip.find("," + std::string(name) + ",") != std::string::npos;
}

}  // namespace

void invariantBroken(const char* name, const char* what, long long a, long long b) {
  if (skipped(name)) return;
  std::fprintf(stderr, "invariant \"%s\" broken: %s (%lld, %lld)\n", name, what, a, b);
  std::abort();
}

namespace {

void fail(const char* name, const char* what, long long a = 0, long long b = 0) {
  invariantBroken(name, what, a, b);
}

const char* keyName(int k) { return k == 0 ? "W" : (k == 1 ? "space" : "Q"); }

bool interior(uint64_t pos, int32_t cells, int32_t pixels, bool inPixels) {
  if (cells <= 0) return false;
  if (!inPixels) return pos > 1 && pos < static_cast<uint64_t>(cells);
  if (pixels < cells) return false;
  uint64_t cell = static_cast<uint64_t>(pixels / cells);
  return pos > cell && pos < static_cast<uint64_t>(pixels) - cell;
}

void pointerUnclear(PointerModel& p) {
  p.known = false;
  p.clean = false;
}

void mayPress(KeyModel& key, bool pushed, bool kitty, int64_t now) {
  key.lastPress = now;
  key.pressSincePoll = true;
  key.releaseArmed = false;
  if (pushed && kitty) key.kittyHeld = true;
}

void armRelease(KeyModel& key) {
  key.releaseArmed = true;
  key.releaseMayServe = key.pressSincePoll;
  key.pollsSinceRelease = 0;
}

void kittyToken(TermModel& m, const Token& t, bool intact, int64_t now) {
  if (t.quit || t.suspend) {
    m.mayQuit = true;
    if (intact && m.kittyOn) (t.quit ? m.quitDue : m.suspendDue) = true;
  }
  if (t.key < 0) return;
  KeyModel& key = m.keys[t.key];
  if (t.type != 3) {
    mayPress(key, m.kittyOn || m.kittyMaybe, true, now);
    if (intact && m.kittyOn) key.held = key.tapDue = true;
    return;
  }
  key.held = false;
  if (intact && m.kittyOn) {
    key.kittyHeld = false;
    armRelease(key);
  }
}

void focusOut(TermModel& m, bool intact) {
  for (KeyModel& key : m.keys) {
    key.held = key.tapDue = false;
    if (!intact) continue;
    key.kittyHeld = false;
    armRelease(key);
  }
}

void mouseToken(TermModel& m, const Token& t, bool intact, const WindowSize& w) {
  PointerModel& p = m.pointer;
  if (t.mouse == MouseKind::click || t.mouse == MouseKind::wheel) return;
  p.reports++;
  bool inside = interior(t.x, w.cols, w.xpixel, m.pixelMode) && interior(t.y, w.rows, w.ypixel, m.pixelMode);
  if (t.mouse != MouseKind::motion || !intact || !inside) {
    pointerUnclear(p);
    return;
  }
  p.known = true;
  p.x = t.x;
  p.y = t.y;
}

// A flags reply after the push turns kitty keys on or off; turning them
// off releases every key, since their releases would no longer be read.
void flagsReply(TermModel& m, const Token& t, bool intact) {
  if (!intact || t.ps >= 1000000) {  // the parser saturates long numbers
    // Read as a reply or not, on or off: from here on nothing is sure.
    m.kittyOn = false;
    m.kittyMaybe = true;
    for (KeyModel& key : m.keys) key.held = key.tapDue = false;
    return;
  }
  bool on = (t.ps & 10) == 10;
  if (!on) focusOut(m, m.kittyOn && !m.kittyMaybe);
  m.kittyMaybe = m.kittyMaybe || on;
  m.kittyOn = on;
}

void probeToken(TermModel& m, const Token& t, bool intact) {
  ProbeModel& p = m.probe;
  if (!p.probing && t.kind == TokenKind::flags && m.pushed) flagsReply(m, t, intact);
  if (!p.probing) return;                    // late replies mean nothing
  bool first = !p.answered && !p.mayAnswer;  // no DA1 before it
  if (t.kind == TokenKind::deviceAttributes) (intact ? p.answered : p.mayAnswer) = true;
  if (t.kind == TokenKind::flags) {
    p.mayFlags = true;
    if (intact && first) p.flags = true;
  }
  if (t.kind == TokenKind::modeReport && t.mode == 1016) {
    bool on = t.ps >= 1 && t.ps <= 3;
    p.mayPixels = p.mayPixels || on;
    p.pixels = intact && first && on;
  }
}

void checkKeys(TermModel& m, const InputState& state, int64_t now) {
  const bool down[kFuzzKeys] = {state.w, state.space, state.q};
  for (int k = 0; k < kFuzzKeys; k++) {
    KeyModel& key = m.keys[k];
    if (key.held && !down[k]) fail("held", keyName(k), now);
    if (key.tapDue && !down[k]) fail("tap", keyName(k), now);
    if (key.releaseArmed) {
      if (down[k] && (key.pollsSinceRelease > 0 || !key.releaseMayServe)) fail("release", keyName(k), now);
      key.pollsSinceRelease++;
    }
    bool old = key.lastPress < 0 || (!key.pressSincePoll && now - key.lastPress >= kLongestTimedHold);
    if (down[k] && !key.kittyHeld && old) fail("timed", keyName(k), now, key.lastPress);
    key.pressSincePoll = false;
    key.tapDue = false;
  }
  if (m.quitDue && !state.signalKey) fail("quit", "Ctrl-C or Ctrl-\\ lost", now);
  if (m.suspendDue && !state.suspend) fail("quit", "Ctrl-Z lost", now);
  if ((state.signalKey || state.suspend) && !m.mayQuit) fail("quit", "a request from nowhere", now);
  m.quitDue = m.suspendDue = m.mayQuit = false;
}

void checkPointer(TermModel& m, const InputState& state, int64_t now) {
  PointerModel& p = m.pointer;
  if (!m.mouse && (state.dx != 0 || state.dy != 0))
    fail("still", "reports moved the view under X11", state.dx, state.dy);
  int64_t edge = kEdgeRate * (now - m.lastPoll) / 1000000 + 1;
  // Positions read while no size was known cannot be clamped.
  int64_t unitsX = p.sizeUnknown ? 0 : (m.pixelMode ? p.maxXpixel : p.maxCols);
  int64_t unitsY = p.sizeUnknown ? 0 : (m.pixelMode ? p.maxYpixel : p.maxRows);
  int64_t segments = p.reports + 1;
  if (m.mouse && unitsX > 0 && std::llabs(state.dx) > segments * unitsX + edge)
    fail("bound", "dx beyond the window", state.dx, segments * unitsX + edge);
  if (m.mouse && unitsY > 0 && std::llabs(state.dy) > segments * unitsY + edge)
    fail("bound", "dy beyond the window", state.dy, segments * unitsY + edge);
  if (m.mouse && p.baseKnown && p.clean && p.known) {
    int64_t wantX = static_cast<int64_t>(p.x) - static_cast<int64_t>(p.baseX);
    int64_t wantY = static_cast<int64_t>(p.y) - static_cast<int64_t>(p.baseY);
    if (state.dx != wantX) fail("exact", "dx", state.dx, wantX);
    if (state.dy != wantY) fail("exact", "dy", state.dy, wantY);
  }
  p.baseKnown = p.known;
  p.baseX = p.x;
  p.baseY = p.y;
  p.clean = true;
  p.reports = 0;
}

}  // namespace

void modelStart(TermModel& m, bool mouse, WindowSize window, int64_t now) {
  m = TermModel{};
  m.mouse = mouse;
  m.lastPoll = now;
  modelResize(m, window);
}

void modelResize(TermModel& m, WindowSize w) {
  PointerModel& p = m.pointer;
  pointerUnclear(p);
  if (w.cols <= 0 || w.rows <= 0) p.sizeUnknown = true;
  if (w.cols > p.maxCols) p.maxCols = w.cols;
  if (w.rows > p.maxRows) p.maxRows = w.rows;
  if (w.xpixel > p.maxXpixel) p.maxXpixel = w.xpixel;
  if (w.ypixel > p.maxYpixel) p.maxYpixel = w.ypixel;
}

void modelToken(TermModel& m, const Token& t, bool intact, const WindowSize& window, int64_t now) {
  switch (t.kind) {
    case TokenKind::kittyKey: kittyToken(m, t, intact, now); break;
    case TokenKind::mouse: mouseToken(m, t, intact, window); break;
    case TokenKind::focusIn: pointerUnclear(m.pointer); break;
    case TokenKind::focusOut:
      pointerUnclear(m.pointer);
      focusOut(m, intact);
      break;
    case TokenKind::ctrlC:
    case TokenKind::ctrlZ:
      m.mayQuit = true;
      (t.kind == TokenKind::ctrlC ? m.quitDue : m.suspendDue) = true;
      break;
    default: probeToken(m, t, intact); break;
  }
}

void modelNoise(TermModel& m, const Token& t, int escapes, int64_t now) {
  // A flags reply anywhere in the run may come before a press in it, and
  // may turn kitty keys on or off.
  if (m.pushed && !m.probe.probing && t.mayAnswerFlags) {
    m.kittyOn = false;
    m.kittyMaybe = true;
  }
  for (int k = 0; k < kFuzzKeys; k++) {
    KeyModel& key = m.keys[k];
    if ((t.mayPress & (1 << k)) != 0) mayPress(key, m.kittyOn || m.kittyMaybe, t.digits, now);
    if (m.pushed && t.mayAnswerFlags) key.held = key.tapDue = false;
    if (t.digits || t.mayFocusOut) key.held = false;
    if (t.mayFocusOut) key.tapDue = false;
  }
  m.mayQuit = m.mayQuit || t.mayQuit;
  if (escapes > 0) {
    m.pointer.reports += escapes;
    pointerUnclear(m.pointer);
  }
  ProbeModel& p = m.probe;
  if (!p.probing) return;
  p.mayAnswer = p.mayAnswer || t.mayAnswerDa1;
  p.mayFlags = p.mayFlags || t.mayAnswerFlags;
  if (t.mayReportMode) p.mayPixels = true, p.pixels = false;
}

void modelPoll(TermModel& m, const InputState& state, int64_t now) {
  checkKeys(m, state, now);
  checkPointer(m, state, now);
  m.lastPoll = now;
}

void modelProbeBegin(TermModel& m, int64_t now) {
  m.probe.probing = true;
  m.probe.deadline = now + kProbeDeadlineMicros;
}

void modelProbeCheck(const TermModel& m, bool over, int64_t now) {
  const ProbeModel& p = m.probe;
  bool must = now >= p.deadline || p.answered;
  if (must && !over) fail("probe-end", "still probing after DA1 or the deadline", now, p.deadline);
  if (over && !must && !p.mayAnswer)
    fail("probe-end", "over with no DA1 before the deadline", now, p.deadline);
}

void modelLate(TermModel& m, bool pushWritten, bool pixelsWritten) {
  if (m.probe.answered) fail("probe-late", "answers taken up after the probe had its DA1");
  if (pushWritten) {
    if (m.pushed) fail("probe-late", "kitty flags pushed twice");
    m.pushed = true;
    m.kittyOn = false;
    m.kittyMaybe = true;  // the confirmation may already be on its way
    // A press in the same noise run as the late reply may follow the push.
    for (KeyModel& key : m.keys)
      if (key.pressSincePoll) key.kittyHeld = true;
  }
  if (pixelsWritten) {
    if (!m.mouse) fail("probe-late", "pixel reports asked for without the mouse");
    m.pixelMode = true;
    pointerUnclear(m.pointer);
  }
}

void modelEnabled(TermModel& m, bool probed, bool pushWritten, bool pixelsWritten) {
  const ProbeModel& p = m.probe;
  if (pushWritten && !(probed && p.mayFlags)) fail("probe-kitty", "kitty flags pushed unasked");
  if (p.flags && !pushWritten) fail("probe-kitty", "the terminal answered, no push");
  if (pixelsWritten && !(probed && p.mayPixels)) fail("probe-pixels", "pixel reports asked for unoffered");
  if (p.pixels && !pixelsWritten) fail("probe-pixels", "pixel reports offered, not asked for");
  m.probe.probing = false;
  m.pushed = pushWritten;
  m.kittyOn = m.kittyMaybe = false;
  m.pixelMode = pixelsWritten;
  pointerUnclear(m.pointer);
}

void modelClosed(const TermModel& m, bool popWritten) {
  if (popWritten != m.pushed) fail("pop", m.pushed ? "pushed flags not popped" : "popped flags never pushed");
}
