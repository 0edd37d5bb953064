#include "platform/terminal/answers.h"

TerminalAnswers terminalAnswers;

namespace {

void dropOldest(TerminalAnswers& answers) {
  for (int i = 1; i < answers.count; i++) answers.asked[i - 1] = answers.asked[i];
  --answers.count;
}

}  // namespace

bool answerModeUsable(int32_t ps) { return ps >= 1 && ps <= 3; }

void answersProbeSent(TerminalAnswers& answers) {
  answers.probing = true;
  answers.probeLate = false;
}

void answersProbeEnded(TerminalAnswers& answers, bool answered) {
  answers.probing = false;
  answers.probeLate = !answered;
}

void answersPictureAsked(TerminalAnswers& answers, int64_t now, uint64_t bytes, uint64_t delivered,
                         int64_t deliveredAt) {
  // Full: the oldest is forgotten rather than the newest left untimed.
  if (answers.count == kMostAsked) dropOldest(answers);
  uint64_t ahead = answersInFlightBytes(answers);
  AskedPicture& asked = answers.asked[answers.count++];
  asked = AskedPicture{};
  asked.at = now;
  asked.bytes = bytes;
  asked.ahead = ahead;
  asked.delivered = delivered;
  // Sent into an empty link, a picture's rate runs from its own start.
  asked.deliveredAt = ahead == 0 ? now : deliveredAt;
}

int answersInFlight(const TerminalAnswers& answers) {
  int timed = 0;
  for (int i = 0; i < answers.count; i++) timed += answers.asked[i].owed ? 0 : 1;
  return timed;
}

uint64_t answersInFlightBytes(const TerminalAnswers& answers) {
  uint64_t bytes = 0;
  for (int i = 0; i < answers.count; i++)
    if (!answers.asked[i].owed) bytes += answers.asked[i].bytes;
  return bytes;
}

const AskedPicture* answersOldestInFlight(const TerminalAnswers& answers) {
  for (int i = 0; i < answers.count; i++)
    if (!answers.asked[i].owed) return &answers.asked[i];
  return nullptr;
}

int answersOwed(const TerminalAnswers& answers) { return answers.count; }

void answersGiveUp(TerminalAnswers& answers) {
  for (int i = 0; i < answers.count; i++) answers.asked[i].owed = true;
}

void answersExpire(TerminalAnswers& answers, int64_t now) {
  while (answers.count > 0 && answers.asked[0].owed && now - answers.asked[0].at >= kOwedLifetimeMicros)
    dropOldest(answers);
}

void answersHandOverAsked(TerminalAnswers& answers) {
  answers.handingOver = true;
  answers.handedOver = false;
}

bool answersHandOverWaits(const TerminalAnswers& answers) {
  return answers.handingOver && !answers.handedOver;
}

void answersHandOverEnded(TerminalAnswers& answers) { answers.handingOver = false; }

void answersForgetPictures(TerminalAnswers& answers) { answers.count = 0; }

AnswerOwner answerArrived(TerminalAnswers& answers, AskedPicture* picture) {
  if (answers.probing) {
    answers.probing = false;
    answers.answering = true;
    return AnswerOwner::probe;
  }
  if (answers.probeLate) {
    answers.probeLate = false;
    answers.answering = true;
    return AnswerOwner::lateProbe;
  }
  if (answers.count > 0) {
    if (picture) *picture = answers.asked[0];
    bool owed = answers.asked[0].owed;
    dropOldest(answers);
    answers.answeredPicture = true;
    return owed ? AnswerOwner::owed : AnswerOwner::picture;
  }
  if (answers.handingOver && !answers.handedOver) {
    answers.handedOver = true;
    return AnswerOwner::handover;
  }
  return AnswerOwner::stray;
}
