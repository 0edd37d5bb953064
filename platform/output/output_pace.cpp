#include "platform/output/output_pace.h"

namespace {

// Pictures may use this share of the link; the rest drains what queued up.
constexpr double kLinkShare = 0.5;
// A link that kept up for a whole window is trusted with a little more,
// slowly, since finding the limit again fills its buffers.
constexpr double kLinkGrowth = 1.05;
// Beyond this no picture stream can fill it: the link counts as fast again.
constexpr double kFastLink = 50.0e6;
// Refused for a quarter of a window or more: at its limit.
constexpr int64_t kSaturatedShare = 4;

}  // namespace

int64_t paceInterval(const OutputPace& pace) {
  if (pace.linkRate <= 0) return pace.intervalMicros;
  double micros = static_cast<double>(pace.lastBytes) * 1.0e6 / (kLinkShare * pace.linkRate);
  if (micros > kLongestIntervalMicros) return kLongestIntervalMicros;
  return micros > pace.intervalMicros ? static_cast<int64_t>(micros) : pace.intervalMicros;
}

namespace {

bool awaitingAnswer(const OutputPace& pace) { return pace.asking && pace.unanswered >= pace.window; }

// What the oldest unanswered picture may take: as long as the latest
// answer, scaled by size (the link's rate dominates a slow link).
int64_t patience(const OutputPace& pace) {
  int64_t expected = pace.roundTrip;
  if (pace.answeredBytes > 0 && pace.askedBytes[0] > pace.answeredBytes)
    expected = static_cast<int64_t>(static_cast<double>(expected) * static_cast<double>(pace.askedBytes[0]) /
                                    static_cast<double>(pace.answeredBytes));
  int64_t micros = 3 * expected;
  if (micros < kAnswerPatienceMicros) return kAnswerPatienceMicros;
  return micros > kLongestPatienceMicros ? kLongestPatienceMicros : micros;
}

void learnTrip(OutputPace& pace, int64_t trip) {
  pace.roundTrip = trip;
  if (pace.shortestTrip == 0 || trip < pace.shortestTrip) pace.shortestTrip = trip;
  int64_t tolerance = pace.shortestTrip / 4;
  if (tolerance < kQueueToleranceMicros) tolerance = kQueueToleranceMicros;
  if (trip > pace.shortestTrip + tolerance) pace.window = 1;
  else if (pace.window < kMostUnanswered) ++pace.window;
}

}  // namespace

PaceStep paceStep(const OutputPace& pace, int64_t now, bool changed, bool pending, bool (*writable)()) {
  // A new picture is only made once the last one is out: a picture built on
  // top of unsent bytes would be diffed against a screen the terminal does
  // not show yet, and a slow terminal would queue pictures it cannot keep up
  // with instead of skipping to the latest one.
  if (pending) return writable() ? PaceStep::push : PaceStep::nothing;
  if (!changed || awaitingAnswer(pace)) return PaceStep::nothing;
  if (pace.sentAny && now - pace.lastSent < paceInterval(pace)) return PaceStep::nothing;
  return writable() ? PaceStep::send : PaceStep::nothing;
}

void paceSent(OutputPace& pace, int64_t now, uint64_t bytes) {
  pace.sentAny = true;
  pace.lastSent = now;
  pace.lastBytes = bytes;
}

void paceTook(OutputPace& pace, int64_t now, uint64_t bytes, bool full) {
  if (pace.windowStart == 0) pace.windowStart = now;
  pace.windowBytes += bytes;
  if (full && !pace.blocked) {
    pace.blocked = true;
    pace.blockedSince = now;
  } else if (!full && pace.blocked) {
    pace.blocked = false;
    pace.windowBlocked += now - pace.blockedSince;
  }
  int64_t span = now - pace.windowStart;
  if (span < kLinkWindowMicros) return;
  if (pace.blocked) {
    pace.windowBlocked += now - pace.blockedSince;
    pace.blockedSince = now;
  }
  // Refusing bytes for a good part of the window is a link at its limit, and
  // what it took is what it carries. A terminal that was busy for a moment
  // refuses for a moment only, and does not slow the pictures down.
  if (pace.windowBlocked * kSaturatedShare >= span) {
    pace.linkRate = static_cast<double>(pace.windowBytes) * 1.0e6 / static_cast<double>(span);
  } else if (pace.linkRate > 0) {
    pace.linkRate *= kLinkGrowth;
    if (pace.linkRate > kFastLink) pace.linkRate = 0;
  }
  pace.windowStart = now;
  pace.windowBytes = 0;
  pace.windowBlocked = 0;
}

bool paceAsks(const OutputPace& pace, int64_t now) {
  return pace.asking && pace.askAgainAt <= now && pace.unanswered < kMostUnanswered;
}

void paceAsked(OutputPace& pace, int64_t now, uint64_t bytes) {
  pace.askedAt[pace.unanswered] = now;
  pace.askedBytes[pace.unanswered] = bytes;
  ++pace.unanswered;
}

bool paceAnswered(OutputPace& pace, int64_t now) {
  if (pace.owed > 0) {
    --pace.owed;
    return true;
  }
  if (pace.unanswered == 0) return false;
  learnTrip(pace, now - pace.askedAt[0]);
  pace.answeredBytes = pace.askedBytes[0];
  for (int i = 1; i < pace.unanswered; i++) {
    pace.askedAt[i - 1] = pace.askedAt[i];
    pace.askedBytes[i - 1] = pace.askedBytes[i];
  }
  --pace.unanswered;
  return true;
}

void paceExpire(OutputPace& pace, int64_t now) {
  if (pace.askAgainAt != 0 && now >= pace.askAgainAt) {
    pace.askAgainAt = 0;
    pace.owed = 0;  // so long overdue that they are lost
  }
  if (pace.unanswered == 0 || now - pace.askedAt[0] < patience(pace)) return;
  pace.owed += pace.unanswered;
  pace.unanswered = 0;
  pace.window = 1;
  pace.askAgainAt = now + kAskAgainMicros;
}
