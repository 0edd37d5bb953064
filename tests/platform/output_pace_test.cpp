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
// it. Pictures of 2000 bytes are wanted at every 1 ms frame.
struct FarLink {
  double rate;
  int64_t delay;
  bool answers;
};

struct FarRun {
  double medianAgeMs = 0;  // how old a picture is when the terminal shows it
  int pictures = 0;
  int64_t longestGap = 0;  // between two pictures made
  bool askedAtEnd = false;
};

FarRun runFarLink(const FarLink& link, int64_t micros) {
  constexpr uint64_t kPicture = 2000;
  OutputPace pace;
  TerminalAnswers answers;
  answers.answering = true;
  terminalTakes = true;
  double sent = 0;                                   // bytes written so far
  std::vector<std::pair<double, int64_t>> pictures;  // stream end, made at
  std::vector<std::pair<double, bool>> requests;     // stream end, still unread
  std::vector<int64_t> arrivals;                     // when each answer reaches the game
  std::vector<double> ages;
  FarRun run;
  int64_t last = 0;
  size_t shown = 0, read = 0, arrived = 0;
  for (int64_t now = 0; now < micros; now += 1000) {
    // The terminal has read what crossed the link `delay` ago.
    double reached =
        std::min(sent, link.rate * static_cast<double>(std::max<int64_t>(now - link.delay, 0)) / 1e6);
    for (; shown < pictures.size() && pictures[shown].first <= reached; shown++)
      if (now >= micros / 2) ages.push_back((now - pictures[shown].second) / 1000.0);
    for (; read < requests.size() && requests[read].first <= reached; read++)
      if (link.answers) arrivals.push_back(now + link.delay);
    for (; arrived < arrivals.size() && arrivals[arrived] <= now; arrived++) {
      AskedPicture picture;
      if (answerArrived(answers, &picture) == AnswerOwner::picture) paceAnswered(pace, now, picture);
    }
    paceExpire(pace, answers, now);
    if (paceStep(pace, answers, now, true, false, writable) != PaceStep::send) continue;
    // A link that carried nothing for a while starts from its rate now.
    sent = std::max(sent, link.rate * static_cast<double>(std::max<int64_t>(now - link.delay, 0)) / 1e6);
    sent += kPicture;
    pictures.push_back({sent, now});
    requests.push_back({sent, true});
    paceSent(pace, answers, now, kPicture);
    if (run.pictures++ > 0) run.longestGap = std::max(run.longestGap, now - last);
    last = now;
  }
  std::sort(ages.begin(), ages.end());
  run.medianAgeMs = ages.empty() ? 1e9 : ages[ages.size() / 2];
  run.askedAtEnd = answersOwed(answers) > 0;
  return run;
}

// The far player sees a picture within a round trip and a picture's time;
// a near one keeps the display's pace; a terminal that never answers does
// not freeze the picture, and is asked again later.
TEST(OutputPace, AnsweredPictures) {
  FarRun slow = runFarLink({20000, 40000, true}, 20000000);
  EXPECT_LE(slow.medianAgeMs, 400) << "20 kB/s, 40 ms each way";
  EXPECT_GE(slow.pictures, 20 * 3) << "still several pictures a second";

  FarRun near = runFarLink({50e6, 100, true}, 2000000);
  EXPECT_GE(near.pictures, 2 * 110) << "a local terminal at the display's pace";
  EXPECT_LE(near.medianAgeMs, 10);

  FarRun mute = runFarLink({50e6, 100, false}, 30000000);
  EXPECT_LE(mute.longestGap, kLongestRetryMicros + 2000) << "a picture every few seconds";
  EXPECT_LE(mute.pictures, 20) << "never blind at the display's pace";
  EXPECT_TRUE(mute.askedAtEnd) << "still asks";
}

}  // namespace
