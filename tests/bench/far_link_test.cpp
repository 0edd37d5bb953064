// The benchmark's far link on a made-up clock: its figures rest on this
// model keeping the delay, the rate, the order of answers and the outage.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/far_link.h"

namespace {

constexpr int64_t kMs = 1000;
constexpr int64_t kS = 1000000;

void send(FarLink& link, int64_t now, const std::string& bytes) {
  farLinkSend(link, now, bytes.data(), bytes.size());
}

// Runs the clock in 1 ms steps up to `until` and notes when each answer
// reaches the game.
std::vector<int64_t> answerTimes(FarLink& link, int64_t from, int64_t until) {
  std::vector<int64_t> times;
  for (int64_t now = from; now <= until; now += kMs)
    for (int n = farLinkAnswers(link, now); n > 0; n--) times.push_back(now);
  return times;
}

TEST(FarLink, EveryByteArrivesTheDelayAndItsWireTimeAfterItLeft) {
  struct Send {
    int64_t at;
    size_t bytes;
    int64_t arrives;  // the last byte
  };
  struct Case {
    const char* name;
    double rate;
    int64_t delay;
    std::vector<Send> sends;
  } cases[] = {
      {"no limit, idle for seconds", 0, 20 * kMs, {{0, 100, 20 * kMs}, {5 * kS, 10, 5 * kS + 20 * kMs}}},
      {"20 kB/s, idle", 20000, 40 * kMs, {{0, 20, 41 * kMs}, {3 * kS, 20, 3 * kS + 41 * kMs}}},
      {"20 kB/s, behind a busy wire", 20000, 40 * kMs, {{0, 2000, 140 * kMs}, {10 * kMs, 200, 150 * kMs}}},
      {"1.25 MB/s, idle", 1250000, 10 * kMs, {{0, 12500, 20 * kMs}, {2 * kS, 1250, 2 * kS + 11 * kMs}}},
  };
  for (const Case& c : cases) {
    FarLink link;
    link.shape.bytesPerSecond = c.rate;
    link.shape.delayMicros = c.delay;
    uint64_t end = 0;
    for (const Send& s : c.sends) {
      send(link, s.at, std::string(s.bytes, 'x'));
      end += s.bytes;
      EXPECT_EQ(linkArrivalOf(link.pieces, end), s.arrives) << c.name << ", send at " << s.at;
      // The first byte of the send is not there a microsecond early either.
      int64_t first = linkArrivalOf(link.pieces, end - s.bytes + 1);
      EXPECT_GE(first, s.at + c.delay) << c.name << ", send at " << s.at;
    }
  }
}

TEST(FarLink, AnswersComeOnlyAfterTheirRequestArrivedAndInOrder) {
  struct Case {
    const char* name;
    double rate;
    int64_t delay, answerMin, answerMax;
    std::vector<std::string> sends;  // 1 ms apart
  } cases[] = {
      {"a far terminal", 20000, 40 * kMs, 0, 0, {std::string(900, 'x') + "\x1b[c", "y\x1b[cz"}},
      {"a request split across two reads", 20000, 40 * kMs, 0, 0, {"abc\x1b[", "c"}},
      {"answering after its own frame", 0, 0, 30 * kMs, 80 * kMs, std::vector<std::string>(40, "x\x1b[c")},
      {"two seconds late", 20000, 40 * kMs, 2 * kS, 2 * kS, {"\x1b[c", "\x1b[c", "\x1b[c"}},
      {"only looks like requests", 0, 5 * kMs, 0, 0, {"\033c\x1b[?c\x1b[1c[c\x1b\x1b[c"}},
  };
  for (const Case& c : cases) {
    FarLink link;
    link.shape = {c.rate, c.delay, 0, 0, c.answerMin, c.answerMax};
    std::vector<uint64_t> requestEnds;
    std::string stream;
    int64_t t = 0;
    for (const std::string& s : c.sends) {
      send(link, t, s);
      stream += s;
      t += kMs;
    }
    for (size_t at = stream.find("\x1b[c"); at != std::string::npos; at = stream.find("\x1b[c", at + 1))
      requestEnds.push_back(at + 3);
    std::vector<int64_t> answers = answerTimes(link, 0, 10 * kS);
    ASSERT_EQ(answers.size(), requestEnds.size()) << c.name;
    for (size_t i = 0; i < answers.size(); i++) {
      int64_t arrived = linkArrivalOf(link.pieces, requestEnds[i]);
      EXPECT_GE(answers[i], arrived + c.answerMin + c.delay) << c.name << " #" << i;
      EXPECT_LE(answers[i], arrived + c.answerMax + c.delay + kMs) << c.name << " #" << i;
      if (i > 0) {
        EXPECT_GE(answers[i], answers[i - 1]) << c.name << " #" << i;
      }
    }
  }
}

TEST(FarLink, TheNextEventIsTheEarliestArrivalOrAnswer) {
  FarLink link;
  link.shape.delayMicros = 40 * kMs;
  EXPECT_EQ(farLinkNextEvent(link), INT64_MAX);
  send(link, 0, "\x1b[c");
  EXPECT_EQ(farLinkNextEvent(link), 40 * kMs);
  EXPECT_EQ(farLinkAnswers(link, 40 * kMs), 0);
  EXPECT_EQ(farLinkNextEvent(link), 80 * kMs);
  EXPECT_EQ(farLinkAnswers(link, 80 * kMs), 1);
  EXPECT_EQ(farLinkNextEvent(link), INT64_MAX);
}

// 160 kbit/s, 40 ms each way, down from 3 s to 23 s.
TEST(FarLink, AnOutageHoldsEverythingUntilTheRestoreAndKeepsItsOrder) {
  struct Send {
    int64_t at;
    size_t bytes;
    bool request;     // ends with ESC [ c
    int64_t arrives;  // its last byte
  };
  const int64_t from = 3 * kS, until = 23 * kS;
  const Send sends[] = {
      {0, 100, false, 45 * kMs},                                 // long before: untouched
      {from - 70 * kMs, 200, true, from - 20 * kMs},             // read just before the drop
      {from - 20 * kMs, 200, false, until + 50 * kMs},           // on its way at the drop: sent again
      {from + 5 * kS, 2000, true, until + 150 * kMs},            // sent into the dead link: queued
      {until - 1, 20, false, until + 151 * kMs},                 // behind them, in order
      {until + 10 * kS, 20, false, until + 10 * kS + 41 * kMs},  // after it all: the delay again
  };
  FarLink link;
  link.shape = {20000, 40 * kMs, from, until, 0, 0};
  uint64_t end = 0;
  std::vector<uint64_t> requestEnds;
  for (const Send& s : sends) {
    std::string bytes(s.bytes - (s.request ? 3 : 0), 'x');
    if (s.request) bytes += "\x1b[c";
    send(link, s.at, bytes);
    end += s.bytes;
    if (s.request) requestEnds.push_back(end);
    EXPECT_EQ(linkArrivalOf(link.pieces, end), s.arrives) << "send at " << s.at;
  }
  for (const LinkPiece& piece : link.pieces)
    EXPECT_FALSE(piece.arrivedAt > from && piece.arrivedAt < until + 40 * kMs)
        << "a piece crossed the dead link, at " << piece.arrivedAt;
  // The answer to the request read just before the drop was on its way
  // back when it came: it reaches the game only after the restore.
  std::vector<int64_t> answers = answerTimes(link, 0, 40 * kS);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], until + 40 * kMs);
  EXPECT_EQ(answers[1], until + 190 * kMs);
  EXPECT_EQ(linkQueuedAt(link.pieces, until), 2220u) << "the bytes waiting at the restore";
}

}  // namespace
