// When pictures go out: the decision on a made-up clock and a made-up
// terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/output/output_pace.h"

namespace {

bool terminalTakes = true;
int writableAsked = 0;
bool writable() {
  ++writableAsked;
  return terminalTakes;
}

constexpr int64_t kI = kDisplayIntervalMicros;

TEST(OutputPace, OneFrameDecides) {
  struct Case {
    const char* name;
    int64_t lastSent, now;  // lastSent < 0: nothing sent yet
    bool changed, pending, takes;
    PaceStep expected;
    bool asks;  // whether the terminal had to be asked (a system call)
  } cases[] = {
      {"first change goes at once", -1, 5, true, false, true, PaceStep::send, true},
      {"unchanged sends nothing and asks nothing", 0, 10 * kI, false, false, true, PaceStep::nothing, false},
      {"a change inside the interval waits", 100, 100 + kI - 1, true, false, true, PaceStep::nothing, false},
      {"a change at the interval goes", 100, 100 + kI, true, false, true, PaceStep::send, true},
      {"a due change skips a full terminal", 0, 2 * kI, true, false, false, PaceStep::nothing, true},
      {"waiting bytes go before any new picture", 0, 2 * kI, true, true, true, PaceStep::push, true},
      {"waiting bytes wait for a full terminal", 0, 2 * kI, true, true, false, PaceStep::nothing, true},
      {"waiting bytes go even inside the interval", 100, 101, false, true, true, PaceStep::push, true},
  };
  for (const Case& c : cases) {
    OutputPace pace;
    TerminalAnswers answers;
    if (c.lastSent >= 0) paceSent(pace, answers, c.lastSent, 100);
    terminalTakes = c.takes;
    writableAsked = 0;
    EXPECT_EQ(paceStep(pace, answers, c.now, c.changed, c.pending, writable), c.expected) << c.name;
    EXPECT_EQ(writableAsked > 0, c.asks) << c.name;
  }
}

// A terminal buffer of 19600 bytes drained at `rate` bytes a second, fed a
// new 650-byte picture wanted at every 1 ms frame. What a player sees is how
// old a picture is when the terminal shows it.
TEST(OutputPace, LinkSpeeds) {
  struct Link {
    const char* name;
    double rate;
    int64_t pauseFrom, pauseTo;  // the reader stops (microseconds)
    double medianAgeMs;          // of the pictures shown in the last 5 s
  } links[] = {
      {"20 kB/s: pictures stay fresh", 20000, 0, 0, 150},
      {"fast, stopping for 280 ms (it fills): the display's pace throughout", 10e6, 3000000, 3280000, 10},
  };
  constexpr double kCapacity = 19600;
  constexpr uint64_t kPicture = 650;
  for (const Link& link : links) {
    OutputPace pace;
    TerminalAnswers answers;
    double queued = 0, drained = 0, accepted = 0;
    uint64_t pending = 0;                              // bytes the terminal refused so far
    std::vector<std::pair<double, int64_t>> inFlight;  // where in the stream a picture ends, made at
    std::vector<double> ages;
    int64_t longest = 0;  // the longest interval in force
    for (int64_t now = 0; now < 20000000; now += 1000) {
      bool paused = now >= link.pauseFrom && now < link.pauseTo;
      double out = paused ? 0 : std::min(queued, link.rate / 1000);
      queued -= out;
      drained += out;
      for (; !inFlight.empty() && inFlight.front().first <= drained; inFlight.erase(inFlight.begin()))
        if (now >= 15000000) ages.push_back((now - inFlight.front().second) / 1000.0);
      terminalTakes = queued < kCapacity;
      PaceStep step = paceStep(pace, answers, now, true, pending > 0, writable);
      if (step == PaceStep::send) {
        paceSent(pace, answers, now, kPicture);
        pending = kPicture;
        inFlight.push_back({accepted + kPicture, now});
      }
      if (step == PaceStep::nothing) continue;
      double take = std::min(static_cast<double>(pending), kCapacity - queued);
      queued += take;
      accepted += take;
      pending -= static_cast<uint64_t>(take);
      paceTook(pace, now, static_cast<uint64_t>(take), pending > 0);
      longest = std::max(longest, paceInterval(pace));
    }
    ASSERT_FALSE(ages.empty()) << link.name;
    std::sort(ages.begin(), ages.end());
    EXPECT_LE(ages[ages.size() / 2], link.medianAgeMs) << link.name;
    if (link.rate > 1e6) {
      EXPECT_EQ(longest, kI) << link.name;  // a short stop does not slow pictures down
    }
  }
}

// Behind buffers that take everything at once (sshd, TCP): every write
// succeeds, the bytes then cross a link of `rate` bytes a second and
// `delay` each way, and the terminal answers each request when it reaches
// it, or after its own frame: `jitter` later at most, in order. From
// `downFrom` to `downTo` the link carries nothing either way, then goes on.
// Pictures of 2000 bytes are wanted at every 1 ms frame.
struct FarLink {
  double rate;
  int64_t delay;
  bool answers;
  int64_t jitter = 0;
  int64_t downFrom = 0, downTo = 0;
};

struct FarRun {
  double medianAgeMs = 0;  // how old a picture is when the terminal shows it (second half)
  int pictures = 0;
  int64_t longestGap = 0;  // between two pictures made
  bool askedAtEnd = false;
  int intoOutage = 0;       // pictures made while the link was down
  int64_t freshAfter = -1;  // from the restore to the first picture shown within 300 ms
};

FarRun runFarLink(const FarLink& link, int64_t micros) {
  constexpr uint64_t kPicture = 2000;
  OutputPace pace;
  TerminalAnswers answers;
  answers.answering = true;
  terminalTakes = true;
  uint32_t seed = 12345;
  double sent = 0, carried = 0;                      // bytes written, bytes across the link
  std::vector<std::pair<double, int64_t>> pictures;  // stream end, made at
  std::vector<double> requests;                      // stream end
  std::vector<std::pair<int64_t, double>> crossed;   // (time, carried) for the delay
  std::vector<int64_t> arrivals;                     // when each answer reaches the game
  std::vector<double> ages;
  FarRun run;
  int64_t last = 0;
  size_t shown = 0, read = 0, arrived = 0, since = 0;
  for (int64_t now = 0; now < micros; now += 1000) {
    bool down = now >= link.downFrom && now < link.downTo;
    if (!down) carried = std::min(sent, carried + link.rate / 1000);
    crossed.push_back({now, carried});
    while (since + 1 < crossed.size() && crossed[since + 1].first <= now - link.delay) since++;
    double reached = crossed[since].first <= now - link.delay ? crossed[since].second : 0;
    for (; shown < pictures.size() && pictures[shown].first <= reached; shown++) {
      int64_t age = now - pictures[shown].second;
      if (now >= micros / 2) ages.push_back(static_cast<double>(age) / 1000.0);
      if (link.downTo > 0 && run.freshAfter < 0 && pictures[shown].second >= link.downTo && age <= 300000)
        run.freshAfter = now - link.downTo;
    }
    for (; read < requests.size() && requests[read] <= reached; read++) {
      if (!link.answers) continue;
      seed = seed * 1103515245u + 12345u;
      int64_t at = now + link.delay + (link.jitter > 0 ? static_cast<int64_t>((seed >> 8) % link.jitter) : 0);
      arrivals.push_back(arrivals.empty() ? at : std::max(at, arrivals.back()));
    }
    for (; !down && arrived < arrivals.size() && arrivals[arrived] <= now; arrived++) {
      AskedPicture picture;
      AnswerOwner owner = answerArrived(answers, &picture);
      if (owner == AnswerOwner::picture || owner == AnswerOwner::owed) paceAnswered(pace, now, picture);
    }
    paceExpire(pace, answers, now);
    PaceStep step = paceStep(pace, answers, now, true, false, writable);
    if (step == PaceStep::ask) {
      sent = std::max(sent, carried) + static_cast<double>(kAnswerRequestLength);
      requests.push_back(sent);
      paceAsked(pace, answers, now);
    }
    if (step != PaceStep::send) continue;
    sent = std::max(sent, carried) + kPicture;  // an idle link has nothing queued
    pictures.push_back({sent, now});
    requests.push_back(sent);
    paceSent(pace, answers, now, kPicture);
    run.intoOutage += down ? 1 : 0;
    if (run.pictures++ > 0) run.longestGap = std::max(run.longestGap, now - last);
    last = now;
  }
  std::sort(ages.begin(), ages.end());
  run.medianAgeMs = ages.empty() ? 1e9 : ages[ages.size() / 2];
  run.askedAtEnd = answersOwed(answers) > 0;
  return run;
}

// The far player sees a picture within a round trip and a picture's time;
// a near one keeps the display's pace, also when the terminal answers after
// its own frame; a link that drops everything gets a picture now and then
// and fresh ones soon after it is back; a terminal that never answers does
// not freeze the picture.
TEST(OutputPace, AnsweredPictures) {
  FarRun slow = runFarLink({20000, 40000, true}, 20000000);
  EXPECT_LE(slow.medianAgeMs, 250) << "20 kB/s, 40 ms each way";
  EXPECT_GE(slow.pictures, 20 * 3) << "still several pictures a second";

  // Answers 30 to 80 ms late, as kitty's on a loaded machine; the first
  // second included.
  FarRun jittery = runFarLink({50e6, 15000, true, 50000}, 4000000);
  EXPECT_GE(jittery.pictures, 4 * 105) << "a near terminal at the display's pace";
  EXPECT_LE(jittery.medianAgeMs, 100);

  FarRun outage = runFarLink({20000, 40000, true, 0, 5000000, 25000000}, 40000000);
  EXPECT_LE(outage.intoOutage, 3) << "a picture now and then";
  EXPECT_GE(outage.freshAfter, 0) << "fresh pictures again";
  EXPECT_LE(outage.freshAfter, 2000000) << "soon after the restore";

  FarRun mute = runFarLink({50e6, 100, false}, 30000000);
  EXPECT_LE(mute.longestGap, kLongestRetryMicros + 2000) << "a picture every few seconds";
  EXPECT_LE(mute.pictures, 20) << "never blind at the display's pace";
  EXPECT_TRUE(mute.askedAtEnd) << "still asks";
}

// The rules one by one, on a link the tests answer by hand.
struct Hand {
  OutputPace pace;
  TerminalAnswers answers;
  Hand() { answers.answering = true; }
  bool send(int64_t now, uint64_t bytes) {
    paceExpire(pace, answers, now);
    if (paceStep(pace, answers, now, true, false, writable) != PaceStep::send) return false;
    paceSent(pace, answers, now, bytes);
    return true;
  }
  AnswerOwner answer(int64_t now) {
    AskedPicture picture;
    AnswerOwner owner = answerArrived(answers, &picture);
    if (owner == AnswerOwner::picture || owner == AnswerOwner::owed) paceAnswered(pace, now, picture);
    return owner;
  }
  // 1000 bytes alone, answered in 10 ms: 100 kB/s, a 10 ms floor, 2000
  // bytes allowed on their way.
  Hand& learned() {
    terminalTakes = true;
    send(0, 1000);
    answer(10000);
    return *this;
  }
};

constexpr int64_t kMs = 1000;
constexpr int64_t kS = 1000000;

// One picture always goes; more while they fit the allowance.
TEST(OutputPace, WhatMayBeOnItsWay) {
  struct Case {
    const char* name;
    uint64_t allowance;
    uint64_t first;  // on its way, sent at 20 ms; 0: none
    bool overdue, remeasuring;
    bool goes;  // the next at 30 ms
  } cases[] = {
      {"nothing on its way: one goes", 0, 0, false, false, true},
      {"the next fits exactly", 2000, 1000, false, false, true},
      {"a byte short, it waits", 1999, 1000, false, false, false},
      {"overdue: one at a time", 1 << 20, 1000, true, false, false},
      {"measuring the floor: one at a time", 1 << 20, 1000, false, true, false},
  };
  for (const Case& c : cases) {
    Hand h;
    h.learned();
    if (c.first > 0) {
      ASSERT_TRUE(h.send(20 * kMs, c.first)) << c.name;
    }
    h.pace.allowance = c.allowance;
    h.pace.overdue = c.overdue;
    h.pace.retryAt = 1 * kS;
    h.pace.remeasuring = c.remeasuring;
    EXPECT_EQ(paceStep(h.pace, h.answers, 30 * kMs, true, false, writable) == PaceStep::send, c.goes)
        << c.name;
  }
}

// What may be on its way grows by each answer while it held pictures back;
// a queue (a usual trip over twice the floor, at least 25 ms, and 50 ms)
// marks the link full, and then it is the rate by the floor and the bursts.
TEST(OutputPace, AllowanceGrowsUntilAQueue) {
  struct Case {
    const char* name;
    uint64_t allowance;  // before the second picture (1000 bytes at 20 ms)
    bool full;
    int64_t floor;  // 0: as learned, 10 ms
    int64_t trip;   // of the second, also the usual trip before it
    uint64_t after;
    bool fullAfter;
  } cases[] = {
      {"held back: grows by the answer", 1000, false, 0, 10 * kMs, 2000, false},
      {"not held back: stays", 10000, false, 0, 10 * kMs, 10000, false},
      {"full: the rate by the floor", 10000, true, 0, 10 * kMs, 1000, true},
      {"full, below it: grows to it", 0, true, 0, 10 * kMs, 1000, true},
      {"a usual trip of twice 25 ms and 50 ms is no queue", 1000, false, 0, 100 * kMs, 2000, false},
      // The best rate is still the first, 100 kB/s by the 10 ms floor.
      {"a microsecond more is", 10000, false, 0, 100 * kMs + 1, 1000, true},
      {"nor twice a longer floor and 50 ms", 1000, false, 40 * kMs, 130 * kMs, 2000, false},
      {"but a microsecond more", 100000, false, 40 * kMs, 130 * kMs + 1, 4000, true},
  };
  for (const Case& c : cases) {
    Hand h;
    h.learned();
    if (c.floor > 0) h.pace.floorTrip = c.floor;
    h.pace.allowance = c.allowance;
    h.pace.full = c.full;
    h.pace.smoothedTrip = c.trip;
    ASSERT_TRUE(h.send(20 * kMs, 1000)) << c.name;
    ASSERT_EQ(h.answer(20 * kMs + c.trip), AnswerOwner::picture) << c.name;
    EXPECT_EQ(h.pace.full, c.fullAfter) << c.name;
    EXPECT_EQ(h.pace.allowance, c.after) << c.name;
  }
}

// Answers that come together, faster than the rate, widen a full link's
// allowance by what came beyond it.
TEST(OutputPace, BurstsOfAnswers) {
  Hand h;
  h.learned();  // 100 kB/s
  h.pace.full = true;
  h.pace.allowance = 1 << 20;
  for (int i = 0; i < 4; i++) ASSERT_TRUE(h.send((20 + 10 * i) * kMs, 1000)) << i;
  // The first of the four only starts the burst; the other three come 1 ms
  // apart, 100 bytes due at the rate each time.
  for (int i = 0; i < 4; i++) h.answer((70 + i) * kMs);
  EXPECT_EQ(h.pace.burst, 3000.0 - 300.0);
  // The rate by the floor stays the first answer's 100 kB/s by 10 ms.
  EXPECT_EQ(h.pace.allowance, 1000u + 2700u);
}

TEST(OutputPace, RateAndFloorAreLearned) {
  struct Case {
    const char* name;
    int64_t sentAt, answeredAt;  // a second picture of 1000 bytes
    bool remeasured;             // sent alone while the floor was being measured again
    int64_t floor, floorAt;      // then
  } cases[] = {
      {"a shorter trip lowers the floor", 100 * kMs, 105 * kMs, false, 5 * kMs, 105 * kMs},
      {"a longer one leaves it", 100 * kMs, 120 * kMs, false, 10 * kMs, 10 * kMs},
      {"an equal one keeps it young", 9 * kS, 9 * kS + 10 * kMs, false, 10 * kMs, 9 * kS + 10 * kMs},
      {"measured again, alone, it rises", 10 * kS + 10 * kMs, 10 * kS + 60 * kMs, true, 50 * kMs,
       10 * kS + 60 * kMs},
  };
  for (const Case& c : cases) {
    Hand h;
    h.learned();
    if (c.remeasured) paceExpire(h.pace, h.answers, c.sentAt);
    EXPECT_EQ(h.pace.remeasuring, c.remeasured) << c.name;
    ASSERT_TRUE(h.send(c.sentAt, 1000)) << c.name;
    ASSERT_EQ(h.answer(c.answeredAt), AnswerOwner::picture) << c.name;
    EXPECT_EQ(h.pace.floorTrip, c.floor) << c.name;
    EXPECT_EQ(h.pace.floorAt, c.floorAt) << c.name;
    EXPECT_FALSE(h.pace.remeasuring) << c.name;
    // Still young 10 s after it was last met, not at 10 s.
    paceExpire(h.pace, h.answers, h.pace.floorAt + kFloorLifetimeMicros - 1);
    EXPECT_FALSE(h.pace.remeasuring) << c.name;
    paceExpire(h.pace, h.answers, h.pace.floorAt + kFloorLifetimeMicros);
    EXPECT_TRUE(h.pace.remeasuring) << c.name;
  }

  // The rate is the best of the current span and the one before; older
  // ones are forgotten. Seen through a full link's allowance: rate by the
  // 10 ms floor.
  struct Span {
    int64_t at;  // a 1000-byte picture alone, answered 20 ms later (50 kB/s)
    uint64_t allowance;
  } spans[] = {
      {kRateSpanMicros - 30 * kMs, 1000},      // same span: 100 kB/s is best
      {2 * kRateSpanMicros - 30 * kMs, 1000},  // the span before still counts
      {2 * kRateSpanMicros + 10 * kMs, 500},   // two spans on: only 50 kB/s
  };
  for (const Span& span : spans) {
    Hand h;
    h.learned();
    h.pace.full = true;
    h.pace.allowance = 1 << 20;
    h.pace.floorAt = span.at;  // not measured again meanwhile
    ASSERT_TRUE(h.send(span.at, 1000)) << span.at;
    h.answer(span.at + 20 * kMs);
    EXPECT_EQ(h.pace.allowance, span.allowance) << span.at;
  }
}

// Each byte ahead of a picture adds `cost` to its trip on top of an 80 ms
// floor (a negative cost: a terminal that answers later when less is
// ahead, after its own frame); 1000-byte pictures answered at 20 kB/s,
// with `spread` bytes ahead of every other one, and bursts of 1000 bytes
// seen once.
struct Costed {
  OutputPace pace;
  Costed() {
    pace.full = true;
    pace.allowance = 2600;  // 20 kB/s by the floor, and the bursts
  }
  void answers(int count, double cost, uint64_t spread) {
    for (int i = 0; i < count; i++) {
      if (i == 1) pace.burst = std::max(pace.burst, 1000.0);
      now += 50 * kMs;
      AskedPicture picture;
      picture.bytes = 1000;
      picture.ahead = i % 2 == 1 ? spread : 0;
      double ahead = static_cast<double>(picture.ahead);
      double beyondFloor = cost < 0 ? ahead - static_cast<double>(spread) : ahead;
      picture.at = now - 80 * kMs - static_cast<int64_t>(cost * beyondFloor);
      picture.delivered = pace.delivered;
      picture.deliveredAt = now - 50 * kMs;
      paceAnswered(pace, now, picture);
    }
  }
  int64_t now = 0;
};

// Where bytes ahead queue (each costs at least half its time at the rate,
// 25 us at 20 kB/s), what may be on the way keeps a new picture's wait
// within half the floor; elsewhere the link's allowance stands.
TEST(OutputPace, BytesAheadThatQueue) {
  struct Case {
    const char* name;
    int answers;
    double cost;  // micros per byte ahead
    uint64_t spread;
    double learnt;       // the cost learnt
    uint64_t allowance;  // after
  } cases[] = {
      {"a queue at the rate: 40 ms of it", 64, 50, 2000, 50, 800},
      {"just over half the rate's time", 64, 26, 2000, 26, 1538},
      {"just under it: no queue, the bursts kept", 64, 24, 2000, 24, 2600},
      {"too few answers to tell", kCostAnswers - 1, 50, 2000, 0, 2600},
      {"enough", kCostAnswers, 50, 2000, 50, 800},
      {"too little spread to tell", 64, 50, 199, 0, 2600},
      {"answers later with less ahead", 64, -20, 2000, 0, 2600},
  };
  for (const Case& c : cases) {
    Costed link;
    link.answers(c.answers, c.cost, c.spread);
    EXPECT_EQ(link.pace.floorTrip, 80 * kMs) << c.name;
    EXPECT_NEAR(link.pace.byteCost, c.learnt, 0.01) << c.name;
    EXPECT_NEAR(static_cast<double>(link.pace.allowance), static_cast<double>(c.allowance), 1) << c.name;
  }

  // Half the floor, but at least a slow terminal's frame of queue; a
  // resume forgets the cost with the rest.
  Costed near;
  near.answers(64, 50, 2000);
  near.pace.floorTrip = 60 * kMs;
  near.answers(1, 50, 2000);
  EXPECT_NEAR(static_cast<double>(near.pace.allowance), 30 * kMs / 50.0, 1);
  near.pace.floorTrip = 40 * kMs;
  near.answers(1, 50, 2000);
  EXPECT_NEAR(static_cast<double>(near.pace.allowance), kFrameFloorMicros / 50.0, 1);
  paceForgetAnswers(near.pace);
  EXPECT_EQ(near.pace.byteCost, 0);
  near.pace.full = true;
  near.pace.allowance = 2600;
  near.answers(kCostAnswers - 1, 50, 2000);
  EXPECT_EQ(near.pace.byteCost, 0) << "learnt afresh";
}

// An answer is overdue after three times the usual trip and the picture's
// own time on the link, at least 1 s and at most 4 s.
TEST(OutputPace, PatienceScalesWithSize) {
  struct Case {
    uint64_t bytes;
    int64_t patience;
  } cases[] = {
      {1000, kAnswerPatienceMicros},        // 3 x (10 + 10) ms is under the least
      {40000, 3 * (10 * kMs + 400 * kMs)},  // 400 ms at 100 kB/s
      {200000, kLongestPatienceMicros},     // 3 x 2.01 s is over the most
  };
  for (const Case& c : cases) {
    Hand h;
    h.learned();
    ASSERT_TRUE(h.send(20 * kMs, c.bytes));
    paceExpire(h.pace, h.answers, 20 * kMs + c.patience - 1);
    EXPECT_FALSE(h.pace.overdue) << c.bytes;
    EXPECT_EQ(answersInFlight(h.answers), 1) << c.bytes;
    paceExpire(h.pace, h.answers, 20 * kMs + c.patience);
    EXPECT_TRUE(h.pace.overdue) << c.bytes;
    EXPECT_EQ(answersInFlight(h.answers), 0) << c.bytes;
    EXPECT_EQ(answersOwed(h.answers), 1) << c.bytes;
  }
}

// Given up: it asks again 1, 2, 4, 8, 8 s apart, alone until the last
// picture has waited 8 s, then with a picture; the request before is then
// owed, so one request is timed at a time.
TEST(OutputPace, OverdueAsksAgainFurtherApart) {
  Hand h;
  h.learned();
  h.pace.allowance = 1 << 20;
  ASSERT_TRUE(h.send(20 * kMs, 1000));
  ASSERT_TRUE(h.send(30 * kMs, 1000));
  int64_t gaveUp = 20 * kMs + kAnswerPatienceMicros;
  paceExpire(h.pace, h.answers, gaveUp);
  ASSERT_TRUE(h.pace.overdue);
  EXPECT_EQ(paceInFlightLimit(h.pace), 0u);
  int64_t at = gaveUp;
  int owed = 2;
  struct Retry {
    int64_t delay;
    PaceStep step;
  } retries[] = {
      {1 * kS, PaceStep::ask},  {2 * kS, PaceStep::ask},
      {4 * kS, PaceStep::ask},                             // the last picture went 7.99 s before
      {8 * kS, PaceStep::send}, {8 * kS, PaceStep::send},  // 8 s after the one before
  };
  for (auto [delay, step] : retries) {
    EXPECT_FALSE(h.send(at + delay - 1, 1000)) << delay;
    ASSERT_EQ(paceStep(h.pace, h.answers, at + delay, true, false, writable), step) << delay;
    if (step == PaceStep::ask) paceAsked(h.pace, h.answers, at + delay);
    if (step == PaceStep::send) paceSent(h.pace, h.answers, at + delay, 1000);
    at += delay;
    EXPECT_EQ(answersInFlight(h.answers), 1) << delay;
    EXPECT_EQ(answersOwed(h.answers), ++owed) << delay;
  }
  // Answers flow again: the outage's are owed and tell nothing of the link.
  int64_t floor = h.pace.floorTrip, smoothed = h.pace.smoothedTrip;
  EXPECT_EQ(h.answer(at + 10 * kMs), AnswerOwner::owed);
  EXPECT_FALSE(h.pace.overdue);
  EXPECT_EQ(h.pace.floorTrip, floor);
  EXPECT_EQ(h.pace.smoothedTrip, smoothed);
  for (int i = 2; i < owed; i++) EXPECT_EQ(h.answer(at + 10 * kMs), AnswerOwner::owed) << i;
  EXPECT_EQ(h.answer(at + 20 * kMs), AnswerOwner::picture);
  EXPECT_EQ(h.pace.floorTrip, 20 * kMs);  // alone, and the floor had aged
}

// After a suspend nothing is owed: the handover waited for what came.
TEST(OutputPace, ResumeStartsAfresh) {
  Hand h;
  h.learned();
  ASSERT_TRUE(h.send(20 * kMs, 1000));
  paceExpire(h.pace, h.answers, 20 * kMs + kAnswerPatienceMicros);
  ASSERT_TRUE(h.pace.overdue);
  paceForgetAnswers(h.pace);
  answersForgetPictures(h.answers);
  EXPECT_EQ(answersOwed(h.answers), 0);
  EXPECT_TRUE(h.send(2 * kS, 1000)) << "no retry to wait for";
  EXPECT_EQ(h.answer(2 * kS + 30 * kMs), AnswerOwner::picture);
  EXPECT_EQ(h.pace.floorTrip, 30 * kMs) << "the link judged afresh";
  EXPECT_EQ(h.answer(2 * kS + 40 * kMs), AnswerOwner::stray);
}

}  // namespace
