// When pictures go out: the decision on a made-up clock and a made-up
// terminal, and the probe's answer about synchronized output.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/output.h"
#include "platform/output_pace.h"

namespace {

bool terminalTakes = true;
int writableAsked = 0;
bool writable() {
  ++writableAsked;
  return terminalTakes;
}

constexpr int64_t kI = kDisplayIntervalMicros;

struct StepCase {
  const char* name;
  bool sentAny;
  int64_t lastSent, now;
  bool changed, pending, takes;
  PaceStep expected;
  bool asks;  // whether the terminal had to be asked (a system call)
};

TEST(OutputPace, OneFrameDecides) {
  const StepCase cases[] = {
      {"first change goes at once", false, 0, 5, true, false, true, PaceStep::send, true},
      {"unchanged sends nothing and asks nothing", true, 0, 10 * kI, false, false, true, PaceStep::nothing,
       false},
      {"a change inside the interval waits", true, 100, 100 + kI - 1, true, false, true, PaceStep::nothing,
       false},
      {"a change at the interval goes", true, 100, 100 + kI, true, false, true, PaceStep::send, true},
      {"a due change skips a full terminal", true, 0, 2 * kI, true, false, false, PaceStep::nothing, true},
      {"waiting bytes go before any new picture", true, 0, 2 * kI, true, true, true, PaceStep::push, true},
      {"waiting bytes wait for a full terminal", true, 0, 2 * kI, true, true, false, PaceStep::nothing, true},
      {"waiting bytes go even inside the interval", true, 100, 101, false, true, true, PaceStep::push, true},
  };
  for (const StepCase& c : cases) {
    OutputPace pace;
    pace.sentAny = c.sentAny;
    pace.lastSent = c.lastSent;
    terminalTakes = c.takes;
    writableAsked = 0;
    EXPECT_EQ(paceStep(pace, c.now, c.changed, c.pending, writable), c.expected) << c.name;
    EXPECT_EQ(writableAsked > 0, c.asks) << c.name;
  }
}

// A game drawing a new picture at chosen frames, and a terminal that takes
// a picture whole when it has room, or a part of it when it is nearly full.
struct Scenario {
  int64_t frameMicros;
  int frames;
  std::vector<int> changesAt;             // frames that draw a new picture
  std::vector<std::pair<int, int>> full;  // frames [from, to) the terminal takes nothing
  int picturePieces;                      // a picture goes out in this many writes
};

struct Outcome {
  std::vector<int64_t> delays;  // from each change to the picture that shows it
  int lastShown = -1;           // version the terminal shows at the end
  int latest = -1;              // version curses holds at the end
  int sends = 0;
  int sendsWhileFull = 0;
  int sendsInsideInterval = 0;
};

bool isFull(const Scenario& run, int frame) {
  for (auto [from, to] : run.full)
    if (frame >= from && frame < to) return true;
  return false;
}

Outcome play(const Scenario& run) {
  Outcome out;
  OutputPace pace;
  int latest = 0, sentVersion = 0, piecesLeft = 0, inFlight = 0;
  std::vector<int64_t> changedAt;  // time each version was drawn
  changedAt.push_back(0);
  int64_t lastSendTime = -1;
  // After the run, quiet frames on a free terminal let the last change out.
  int settle = static_cast<int>(2 * kI / run.frameMicros) + run.picturePieces + 2;
  for (int frame = 0; frame < run.frames + settle; ++frame) {
    int64_t now = frame * run.frameMicros;
    for (int f : run.changesAt)
      if (f == frame) {
        ++latest;
        changedAt.push_back(now);
      }
    terminalTakes = frame >= run.frames || !isFull(run, frame);
    bool changed = latest != sentVersion;
    PaceStep step = paceStep(pace, now, changed, piecesLeft > 0, writable);
    if (step == PaceStep::send) {
      ++out.sends;
      if (!terminalTakes) ++out.sendsWhileFull;
      if (lastSendTime >= 0 && now - lastSendTime < pace.intervalMicros) ++out.sendsInsideInterval;
      lastSendTime = now;
      paceSent(pace, now, 100);
      // The picture is made from what curses holds now: the latest one.
      for (int v = sentVersion + 1; v <= latest; ++v) out.delays.push_back(now - changedAt[v]);
      sentVersion = inFlight = latest;
      piecesLeft = run.picturePieces;
    }
    if ((step == PaceStep::send || step == PaceStep::push) && terminalTakes && piecesLeft > 0) {
      if (--piecesLeft == 0) out.lastShown = inFlight;
    }
  }
  out.latest = latest;
  return out;
}

TEST(OutputPace, PicturesOnAMadeUpTerminal) {
  struct Case {
    const char* name;
    Scenario run;
    int64_t longestDelay;  // no change waits longer than this
    int sends;             // -1: not checked
  };
  std::vector<int> everyFrame, everyTenth;
  for (int f = 1; f < 400; ++f) everyFrame.push_back(f);
  for (int f = 1; f < 400; f += 10) everyTenth.push_back(f);
  const Case cases[] = {
      {"a change every 20 us frame: one picture per interval", {20, 2000, {}, {}, 1}, kI, -1},
      {"a lone change goes at the next frame", {1000, 100, {30}, {}, 1}, 0, 1},
      {"nothing drawn, nothing sent", {1000, 200, {}, {}, 1}, 0, 0},
      {"slow frames: every change at its own frame", {20000, 400, everyTenth, {}, 1}, 0, 40},
      {"a full terminal holds the picture until it has room",
       {1000, 400, everyFrame, {{50, 150}}, 1},
       100 * 1000 + kI,
       -1},
      {"a picture in many pieces is finished before the next",
       {1000, 400, everyFrame, {{0, 20}, {40, 90}}, 5},
       200 * 1000,
       -1},
  };
  for (const Case& c : cases) {
    Scenario run = c.run;
    if (run.changesAt.empty() && c.sends == -1)
      for (int f = 1; f < run.frames; f += 1) run.changesAt.push_back(f);
    Outcome out = play(run);
    EXPECT_EQ(out.sendsWhileFull, 0) << c.name;
    EXPECT_EQ(out.sendsInsideInterval, 0) << c.name;
    for (int64_t d : out.delays) EXPECT_LE(d, c.longestDelay) << c.name;
    if (c.sends >= 0) {
      EXPECT_EQ(out.sends, c.sends) << c.name;
    }
    // Whatever was skipped, the terminal ends up with the latest picture.
    if (out.latest > 0) {
      EXPECT_EQ(out.lastShown, out.latest) << c.name;
    }
  }
}

// A byte-level terminal: a buffer of `capacity` drained at `rate` bytes a
// second (with a pause, if any), fed by the pacing with a new 650-byte
// picture wanted at every 1 ms frame. What a player sees is how old a
// picture is when the terminal shows it.
struct Link {
  const char* name;
  double rate;
  int64_t pauseFrom, pauseTo;  // the reader stops (microseconds)
  double latestMedianMs;       // median age of the pictures in the last 5 s
  bool displayPaceAtEnd;       // the interval is the display's again
};

TEST(OutputPace, LinkSpeeds) {
  const Link links[] = {
      {"20 kB/s: pictures stay fresh", 20000, 0, 0, 150, false},
      {"fast: every display interval", 10e6, 0, 0, 10, true},
      {"fast with a 20 ms stop: back to full pace", 10e6, 3000000, 3020000, 10, true},
  };
  constexpr double kCapacity = 19600;
  constexpr uint64_t kPicture = 650;
  for (const Link& link : links) {
    OutputPace pace;
    double queued = 0;                                 // bytes in the terminal's buffer
    uint64_t pending = 0;                              // bytes the terminal refused so far
    std::vector<std::pair<double, int64_t>> inFlight;  // buffer position where a picture ends, made at
    std::vector<double> ages;
    double drained = 0, accepted = 0;
    for (int64_t now = 0; now < 20000000; now += 1000) {
      bool paused = now >= link.pauseFrom && now < link.pauseTo;
      double out = paused ? 0 : std::min(queued, link.rate * 1000 / 1e6);
      queued -= out;
      drained += out;
      while (!inFlight.empty() && inFlight.front().first <= drained) {
        if (now >= 15000000) ages.push_back((now - inFlight.front().second) / 1000.0);
        inFlight.erase(inFlight.begin());
      }
      terminalTakes = queued < kCapacity;
      PaceStep step = paceStep(pace, now, true, pending > 0, writable);
      if (step == PaceStep::send) {
        paceSent(pace, now, kPicture);
        pending = kPicture;
        inFlight.push_back({accepted + kPicture, now});
      }
      if (step != PaceStep::nothing) {
        double take = std::min(static_cast<double>(pending), kCapacity - queued);
        queued += take;
        accepted += take;
        pending -= static_cast<uint64_t>(take);
        paceTook(pace, now, static_cast<uint64_t>(take), pending > 0);
      }
    }
    ASSERT_FALSE(ages.empty()) << link.name;
    std::sort(ages.begin(), ages.end());
    EXPECT_LE(ages[ages.size() / 2], link.latestMedianMs) << link.name;
    if (link.displayPaceAtEnd) {
      EXPECT_EQ(paceInterval(pace), kDisplayIntervalMicros) << link.name;
    }
  }
}

// The start-up probe asks whether the terminal knows synchronized output;
// only "set" or "reset" (it exists) turns the bracketing on.
TEST(OutputProbe, SynchronizedOutputReply) {
  struct Case {
    const char* reply;
    bool expected;
  } cases[] = {
      {"\x1b[?2026;2$y\x1b[?62c", true},  {"\x1b[?2026;1$y\x1b[?62c", true},
      {"\x1b[?2026;0$y\x1b[?62c", false}, {"\x1b[?2026;4$y\x1b[?62c", false},
      {"\x1b[?1016;1$y\x1b[?62c", false}, {"\x1b[?62c", false},
  };
  setenv("SERIFALL_INPUT", "terminal", 1);
  for (const Case& c : cases) {
    int in[2], out[2];
    ASSERT_TRUE(pipe(in) == 0 && pipe(out) == 0);
    std::string reply = c.reply;
    ASSERT_EQ(write(in[1], reply.data(), reply.size()), ssize_t(reply.size()));
    outputSynchronized = false;
    inputOpen(in[0], out[1]);
    EXPECT_EQ(outputSynchronized, c.expected) << c.reply + 2;
    inputClose();
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
  }
  unsetenv("SERIFALL_INPUT");
  outputSynchronized = false;
}

}  // namespace
