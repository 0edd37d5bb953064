// Whose each answer is: the terminal answers requests in the order it reads
// them, so the order they went out decides.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal/answers.h"

namespace {

enum class Op { probe, probeUnanswered, picture, giveUp, handOver, handOverEnded, forget, answer };

struct Step {
  Op op;
  AnswerOwner owner = AnswerOwner::stray;  // for answers: whose it must be
};

using O = AnswerOwner;

Step answer(AnswerOwner owner) { return {Op::answer, owner}; }

}  // namespace

TEST(Answers, WhoseEachAnswerIs) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"probe, then pictures in order, then nothing",
       {{Op::probe},
        answer(O::probe),
        {Op::picture},
        {Op::picture},
        answer(O::picture),
        answer(O::picture),
        answer(O::stray)}},
      {"a late probe answer is the probe's",
       {{Op::probe}, {Op::probeUnanswered}, answer(O::lateProbe), answer(O::stray)}},
      {"pictures given up on come first",
       {{Op::picture},
        {Op::picture},
        {Op::giveUp},
        {Op::picture},
        answer(O::owed),
        answer(O::owed),
        answer(O::picture)}},
      {"the handover's comes behind every picture's",
       {{Op::picture},
        {Op::giveUp},
        {Op::picture},
        {Op::handOver},
        answer(O::owed),
        answer(O::picture),
        answer(O::handover),
        answer(O::stray)}},
      {"a second handover waits for its own",
       {{Op::handOver}, answer(O::handover), {Op::handOverEnded}, {Op::handOver}, answer(O::handover)}},
      {"after a suspend nothing is owed", {{Op::picture}, {Op::giveUp}, {Op::forget}, answer(O::stray)}},
  };
  for (const Case& c : cases) {
    TerminalAnswers answers;
    int64_t now = 0;
    for (size_t i = 0; i < c.steps.size(); i++) {
      const Step& step = c.steps[i];
      const std::string where = std::string(c.name) + ", step " + std::to_string(i);
      now += 1000;
      switch (step.op) {
        case Op::probe: answersProbeSent(answers); break;
        case Op::probeUnanswered: answersProbeEnded(answers, false); break;
        case Op::picture: answersPictureAsked(answers, now, 100, 0, 0); break;
        case Op::giveUp: answersGiveUp(answers); break;
        case Op::handOver: answersHandOverAsked(answers); break;
        case Op::handOverEnded: answersHandOverEnded(answers); break;
        case Op::forget: answersForgetPictures(answers); break;
        case Op::answer: {
          bool waited = answersHandOverWaits(answers);
          AskedPicture picture;
          EXPECT_EQ(answerArrived(answers, &picture), step.owner) << where;
          EXPECT_EQ(answersHandOverWaits(answers), waited && step.owner != O::handover) << where;
          if (step.owner == O::probe || step.owner == O::lateProbe) {
            EXPECT_TRUE(answers.answering) << where;
          }
          if (step.owner == O::picture || step.owner == O::owed) {
            EXPECT_EQ(picture.owed, step.owner == O::owed) << where;
          }
          break;
        }
      }
    }
  }
}

TEST(Answers, WhatIsOnItsWay) {
  TerminalAnswers answers;
  answersPictureAsked(answers, 10, 100, 0, 0);
  answersPictureAsked(answers, 20, 300, 100, 15);
  EXPECT_TRUE(answers.asked[0].alone);
  EXPECT_EQ(answers.asked[0].deliveredAt, 10) << "into an empty link, the rate runs from its own start";
  EXPECT_FALSE(answers.asked[1].alone);
  EXPECT_EQ(answers.asked[1].deliveredAt, 15);
  EXPECT_EQ(answersInFlight(answers), 2);
  EXPECT_EQ(answersInFlightBytes(answers), 400u);
  answersGiveUp(answers);
  EXPECT_EQ(answersInFlight(answers), 0);
  EXPECT_EQ(answersInFlightBytes(answers), 0u);
  EXPECT_EQ(answersOldestInFlight(answers), nullptr);
  answersPictureAsked(answers, 30, 500, 400, 25);
  EXPECT_TRUE(answers.asked[2].alone) << "owed answers are not timed";
  EXPECT_EQ(answersOldestInFlight(answers)->at, 30);
  EXPECT_EQ(answersOwed(answers), 3);
}

// A request given up on is awaited for a minute, then forgotten; a timed one
// is never forgotten for its age (it becomes overdue first).
TEST(Answers, OwedAnswersExpire) {
  struct Case {
    int64_t at;
    int left;
  } cases[] = {
      {kOwedLifetimeMicros - 1, 3},
      {kOwedLifetimeMicros, 2},
      {kOwedLifetimeMicros + 1000, 1},
      {10 * kOwedLifetimeMicros, 1},
  };
  for (const Case& c : cases) {
    TerminalAnswers answers;
    answersPictureAsked(answers, 0, 100, 0, 0);
    answersPictureAsked(answers, 1000, 100, 0, 0);
    answersGiveUp(answers);
    answersPictureAsked(answers, 2000, 100, 0, 0);
    answersExpire(answers, c.at);
    EXPECT_EQ(answersOwed(answers), c.left) << c.at;
  }
  // Full: the oldest gives way to the newest.
  TerminalAnswers answers;
  for (int i = 0; i <= kMostAsked; i++) answersPictureAsked(answers, i, 100, 0, 0);
  EXPECT_EQ(answersOwed(answers), kMostAsked);
  EXPECT_EQ(answers.asked[0].at, 1);
}

// Mode reports (DECRPM): set, reset and permanently set can be on; not
// recognised (0) and permanently reset (4) cannot.
TEST(Answers, ModesThatCanBeOn) {
  const bool usable[] = {false, true, true, true, false, false};
  for (int ps = 0; ps <= 5; ps++) EXPECT_EQ(answerModeUsable(ps), usable[ps]) << ps;
  EXPECT_FALSE(answerModeUsable(-1));
}
