#include "platform/output/output_pace.h"

#include <algorithm>
#include <cstdint>

namespace {

// Pictures may use this share of the link; the rest drains what queued up.
constexpr double kLinkShare = 0.5;
// A link that kept up for a whole span is trusted with a little more,
// slowly, since finding the limit again fills its buffers.
constexpr double kLinkGrowth = 1.05;
// Beyond this no picture stream can fill it: the link counts as fast again.
constexpr double kFastLink = 50.0e6;
// Refused for a quarter of a span or more: at its limit.
constexpr int64_t kSaturatedShare = 4;
// Answers read together (a terminal answering after its own frame) must not
// make a rate out of no time at all.
constexpr int64_t kShortestRateMicros = 1000;

// The best of two spans, the current one and the one before: a span ages
// out whole.
double bestOfSpans(const OutputPace& pace, int64_t now, double current, double earlier) {
  int64_t age = now - pace.rateSpanStart;
  if (age >= 2 * kRateSpanMicros) return 0;
  if (age >= kRateSpanMicros) return current;
  return std::max(current, earlier);
}

double rateNow(const OutputPace& pace, int64_t now) {
  return bestOfSpans(pace, now, pace.rate, pace.earlierRate);
}

double burstNow(const OutputPace& pace, int64_t now) {
  return bestOfSpans(pace, now, pace.burst, pace.earlierBurst);
}

void learnRate(OutputPace& pace, int64_t now, double sample) {
  int64_t age = now - pace.rateSpanStart;
  if (pace.rateSpanStart == 0 || age >= kRateSpanMicros) {
    bool gone = pace.rateSpanStart == 0 || age >= 2 * kRateSpanMicros;
    pace.earlierRate = gone ? 0 : pace.rate;
    pace.earlierBurst = gone ? 0 : pace.burst;
    pace.rate = pace.burst = 0;
    pace.rateSpanStart = now;
  }
  pace.rate = std::max(pace.rate, sample);
}

// Answers that keep to the rate start a new burst; what comes beyond the
// rate since then is the burst.
void learnBurst(OutputPace& pace, int64_t now, uint64_t bytes) {
  double rate = rateNow(pace, now);
  pace.burstBytes += bytes;
  double beyond =
      static_cast<double>(pace.burstBytes) - rate * static_cast<double>(now - pace.burstStart) / 1.0e6;
  if (pace.burstStart == 0 || beyond <= 0) {
    pace.burstStart = now;
    pace.burstBytes = 0;
    return;
  }
  pace.burst =
      std::max(pace.burst, std::min(beyond, rate * static_cast<double>(kLongestBurstMicros) / 1.0e6));
}

void learnFloor(OutputPace& pace, int64_t now, const AskedPicture& picture, int64_t trip) {
  // A picture sent alone met no queue of the game's own making: while the
  // floor is measured again, its trip is the new floor.
  bool fresh = pace.remeasuring && picture.ahead == 0;
  if (pace.floorTrip == 0 || trip <= pace.floorTrip || fresh) {
    pace.floorTrip = trip;
    pace.floorAt = now;
    pace.remeasuring = false;
  }
}

// The slope of trips over the bytes ahead, on moving means: what a byte
// ahead costs. Without spread in the bytes ahead (one picture at a time)
// nothing new is learnt and the last slope holds.
void learnCost(OutputPace& pace, const AskedPicture& picture, int64_t trip) {
  constexpr double kWeight = 1.0 / kCostAnswers;
  double ahead = static_cast<double>(picture.ahead);
  if (pace.costAnswers++ == 0) {
    pace.aheadMean = ahead;
    pace.tripMean = static_cast<double>(trip);
    return;
  }
  double dx = ahead - pace.aheadMean;
  double dy = static_cast<double>(trip) - pace.tripMean;
  pace.aheadMean += kWeight * dx;
  pace.tripMean += kWeight * dy;
  pace.aheadSpread = (1 - kWeight) * (pace.aheadSpread + kWeight * dx * dx);
  pace.aheadTripSpread = (1 - kWeight) * (pace.aheadTripSpread + kWeight * dx * dy);
  if (pace.costAnswers < kCostAnswers || pace.aheadSpread < kCostSpreadBytes * kCostSpreadBytes) return;
  pace.byteCost = std::max(0.0, pace.aheadTripSpread / pace.aheadSpread);
}

// Where bytes ahead queue, the most that keeps a new picture's wait behind
// them within the budget; otherwise no bound.
uint64_t queueBound(const OutputPace& pace, int64_t now) {
  double rate = rateNow(pace, now);
  if (rate <= 0 || pace.byteCost * rate < kQueuedShare * 1.0e6) return UINT64_MAX;
  int64_t budget = std::max(kFrameFloorMicros, pace.floorTrip / 2);
  return static_cast<uint64_t>(static_cast<double>(budget) / pace.byteCost);
}

// What a full link holds.
uint64_t fullAllowance(const OutputPace& pace, int64_t now) {
  double pipe = rateNow(pace, now) * static_cast<double>(pace.floorTrip) / 1.0e6;
  return static_cast<uint64_t>(pipe + burstNow(pace, now));
}

// A usual round trip of more than twice the floor, and longer by more
// than the tolerance, is a queue: the link carries no more.
bool queueShows(const OutputPace& pace) {
  // A terminal that answers after its own frame answers some requests at
  // once: a floor that short says nothing of how late the others come.
  int64_t floor = std::max(pace.floorTrip, kFrameFloorMicros);
  return pace.smoothedTrip > 2 * floor + kQueueToleranceMicros;
}

void grow(OutputPace& pace, int64_t now, uint64_t bytes) {
  if (!pace.full && queueShows(pace)) pace.full = true;
  if (!pace.full) {
    if (pace.heldBack) pace.allowance += bytes;
  } else {
    pace.allowance = std::min(pace.allowance + bytes, fullAllowance(pace, now));
  }
  pace.allowance = std::min(pace.allowance, queueBound(pace, now));
}

// What the oldest timed picture may take: the usual round trip and its own
// time on the link at the rate seen.
int64_t patience(const OutputPace& pace, const AskedPicture& picture, int64_t now) {
  int64_t expected = pace.smoothedTrip;
  double rate = rateNow(pace, now);
  if (rate > 0) expected += static_cast<int64_t>(static_cast<double>(picture.bytes) * 1.0e6 / rate);
  return std::clamp(3 * expected, kAnswerPatienceMicros, kLongestPatienceMicros);
}

// A retry: the requests before it are owed, its own alone is timed, and
// the next retry is further off.
void retried(OutputPace& pace, TerminalAnswers& answers, int64_t now) {
  answersGiveUp(answers);
  pace.retryDelay = std::min(2 * pace.retryDelay, kLongestRetryMicros);
  pace.retryAt = now + pace.retryDelay;
}

bool waitsForAnswers(const OutputPace& pace, const TerminalAnswers& answers, int64_t now) {
  if (!answers.answering) return false;
  if (pace.overdue) return now < pace.retryAt;
  int inFlight = answersInFlight(answers);
  if (inFlight == 0) return false;
  if (inFlight >= kMostInFlight) return true;
  return answersInFlightBytes(answers) + pace.lastBytes > paceInFlightLimit(pace);
}

}  // namespace

int64_t paceInterval(const OutputPace& pace) {
  if (pace.tookRate <= 0) return pace.intervalMicros;
  double micros = static_cast<double>(pace.lastBytes) * 1.0e6 / (kLinkShare * pace.tookRate);
  if (micros > kLongestIntervalMicros) return kLongestIntervalMicros;
  return micros > pace.intervalMicros ? static_cast<int64_t>(micros) : pace.intervalMicros;
}

uint64_t paceInFlightLimit(const OutputPace& pace) {
  if (pace.overdue || pace.remeasuring) return 0;
  return pace.allowance;
}

PaceStep paceStep(const OutputPace& pace, const TerminalAnswers& answers, int64_t now, bool changed,
                  bool pending, bool (*writable)()) {
  // A new picture is only made once the last one is out: a picture built on
  // top of unsent bytes would be diffed against a screen the terminal does
  // not show yet, and a slow terminal would queue pictures it cannot keep up
  // with instead of skipping to the latest one.
  if (pending) return writable() ? PaceStep::push : PaceStep::nothing;
  bool asksAlone = pace.overdue && now >= pace.retryAt && now - pace.lastSent < kLongestRetryMicros;
  if (asksAlone) return writable() ? PaceStep::ask : PaceStep::nothing;
  if (!changed || waitsForAnswers(pace, answers, now)) return PaceStep::nothing;
  if (pace.sentAny && now - pace.lastSent < paceInterval(pace)) return PaceStep::nothing;
  return writable() ? PaceStep::send : PaceStep::nothing;
}

void paceSent(OutputPace& pace, TerminalAnswers& answers, int64_t now, uint64_t bytes) {
  pace.sentAny = true;
  pace.lastSent = now;
  pace.lastBytes = bytes;
  if (!answers.answering) return;
  // The next picture, as large, would wait for answers.
  pace.heldBack = answersInFlightBytes(answers) + 2 * bytes > pace.allowance;
  if (pace.overdue) retried(pace, answers, now);
  answersPictureAsked(answers, now, bytes, pace.delivered, pace.deliveredAt);
}

void paceAsked(OutputPace& pace, TerminalAnswers& answers, int64_t now) {
  retried(pace, answers, now);
  answersPictureAsked(answers, now, kAnswerRequestLength, pace.delivered, pace.deliveredAt);
}

void paceAnswered(OutputPace& pace, int64_t now, const AskedPicture& picture) {
  pace.overdue = false;  // the link delivers again
  pace.delivered += picture.bytes;
  pace.deliveredAt = now;
  if (picture.owed) return;  // its trip tells of an outage, not of the link
  int64_t trip = now - picture.at;
  pace.smoothedTrip = pace.smoothedTrip == 0 ? trip : pace.smoothedTrip + (trip - pace.smoothedTrip) / 8;
  int64_t span = std::max(now - picture.deliveredAt, kShortestRateMicros);
  learnRate(pace, now,
            static_cast<double>(pace.delivered - picture.delivered) * 1.0e6 / static_cast<double>(span));
  learnBurst(pace, now, picture.bytes);
  learnFloor(pace, now, picture, trip);
  learnCost(pace, picture, trip);
  grow(pace, now, picture.bytes);
}

void paceExpire(OutputPace& pace, TerminalAnswers& answers, int64_t now) {
  answersExpire(answers, now);
  if (pace.floorTrip > 0 && now - pace.floorAt >= kFloorLifetimeMicros) pace.remeasuring = true;
  if (pace.overdue) return;
  const AskedPicture* oldest = answersOldestInFlight(answers);
  if (oldest == nullptr || now - oldest->at < patience(pace, *oldest, now)) return;
  answersGiveUp(answers);
  pace.overdue = true;
  pace.retryDelay = kFirstRetryMicros;
  pace.retryAt = now + pace.retryDelay;
}

void paceForgetAnswers(OutputPace& pace) {
  pace.overdue = false;
  pace.remeasuring = false;
  pace.floorTrip = 0;
  pace.rate = pace.earlierRate = 0;
  pace.burst = pace.earlierBurst = 0;
  pace.burstStart = 0;
  pace.allowance = 0;
  pace.costAnswers = 0;
  pace.aheadSpread = pace.aheadTripSpread = 0;
  pace.byteCost = 0;
  pace.full = false;
  pace.heldBack = false;
}

void paceTook(OutputPace& pace, int64_t now, uint64_t bytes, bool full) {
  if (pace.tookSpanStart == 0) pace.tookSpanStart = now;
  pace.tookSpanBytes += bytes;
  if (full && !pace.blocked) {
    pace.blocked = true;
    pace.blockedSince = now;
  } else if (!full && pace.blocked) {
    pace.blocked = false;
    pace.tookSpanBlocked += now - pace.blockedSince;
  }
  int64_t span = now - pace.tookSpanStart;
  if (span < kTookSpanMicros) return;
  if (pace.blocked) {
    pace.tookSpanBlocked += now - pace.blockedSince;
    pace.blockedSince = now;
  }
  // Refusing bytes for a good part of the span is a link at its limit, and
  // what it took is what it carries. A terminal that was busy for a moment
  // refuses for a moment only, and does not slow the pictures down.
  if (pace.tookSpanBlocked * kSaturatedShare >= span) {
    pace.tookRate = static_cast<double>(pace.tookSpanBytes) * 1.0e6 / static_cast<double>(span);
  } else if (pace.tookRate > 0) {
    pace.tookRate *= kLinkGrowth;
    if (pace.tookRate > kFastLink) pace.tookRate = 0;
  }
  pace.tookSpanStart = now;
  pace.tookSpanBytes = 0;
  pace.tookSpanBlocked = 0;
}
