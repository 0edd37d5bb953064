// Whose each answer is: the terminal answers requests in the order it reads
// them, so the order they went out decides.
#include <gtest/gtest.h>

#include <string>

#include "platform/terminal/answers.h"

// Steps, one letter each: p probe sent, u probe ended unanswered, i picture
// asked, g given up, h handover asked, e handover ended, f pictures
// forgotten; capitals are answers and whose they must be: P probe, L late
// probe, I picture, O owed, H handover, S stray.
TEST(Answers, WhoseEachAnswerIs) {
  const char* const cases[] = {
      "pPiiIIS",   // probe, then pictures in order, then nothing
      "puLS",      // a late probe answer is the probe's
      "iigiOOI",   // pictures given up on come first
      "igihOIHS",  // the handover's comes behind every picture's
      "hHehH",     // a second handover waits for its own
      "igfS",      // after a suspend nothing is owed
  };
  const std::string owners = "PLIOHS";
  const AnswerOwner owner[] = {AnswerOwner::probe, AnswerOwner::lateProbe, AnswerOwner::picture,
                               AnswerOwner::owed,  AnswerOwner::handover,  AnswerOwner::stray};
  for (const char* c : cases) {
    TerminalAnswers answers;
    int64_t now = 0;
    for (const char* step = c; *step; step++) {
      const std::string where = std::string(c) + " at " + std::to_string(step - c);
      now += 1000;
      switch (*step) {
        case 'p': answersProbeSent(answers); break;
        case 'u': answersProbeEnded(answers, false); break;
        case 'i': answersPictureAsked(answers, now, 100, 0, 0); break;
        case 'g': answersGiveUp(answers); break;
        case 'h': answersHandOverAsked(answers); break;
        case 'e': answersHandOverEnded(answers); break;
        case 'f': answersForgetPictures(answers); break;
        default: {
          const AnswerOwner expected = owner[owners.find(*step)];
          const bool waited = answersHandOverWaits(answers);
          AskedPicture picture;
          EXPECT_EQ(answerArrived(answers, &picture), expected) << where;
          EXPECT_EQ(answersHandOverWaits(answers), waited && expected != AnswerOwner::handover) << where;
          if (*step == 'P' || *step == 'L') {
            EXPECT_TRUE(answers.answering) << where;
            EXPECT_FALSE(answers.answeredPicture) << where << ": the probe tells nothing of pictures";
          }
          if (*step == 'I' || *step == 'O') {
            EXPECT_EQ(picture.owed, *step == 'O') << where;
            EXPECT_TRUE(answers.answeredPicture) << where;
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
  EXPECT_EQ(answers.asked[0].ahead, 0u);
  EXPECT_EQ(answers.asked[0].deliveredAt, 10) << "into an empty link, the rate runs from its own start";
  EXPECT_EQ(answers.asked[1].ahead, 100u);
  EXPECT_EQ(answers.asked[1].deliveredAt, 15);
  EXPECT_EQ(answersInFlight(answers), 2);
  EXPECT_EQ(answersInFlightBytes(answers), 400u);
  answersGiveUp(answers);
  EXPECT_EQ(answersInFlight(answers), 0);
  EXPECT_EQ(answersInFlightBytes(answers), 0u);
  EXPECT_EQ(answersOldestInFlight(answers), nullptr);
  answersPictureAsked(answers, 30, 500, 400, 25);
  EXPECT_EQ(answers.asked[2].ahead, 0u) << "owed answers are not timed";
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
