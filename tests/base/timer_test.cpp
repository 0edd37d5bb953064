#include "base/ktimer.h"

#include <gtest/gtest.h>

using namespace Tessor::Base;

namespace {

int64_t fakeNow, fakeFrequency;
bool counterWorks;
int counterReads;

class TimerTest : public ::testing::Test {
protected:
  void SetUp() override {
    fakeNow = fakeFrequency = 1000;
    counterWorks = true;
    counterReads = 0;
    QueryCounter = [](int64_t* ticks) {
      ++counterReads;
      return counterWorks && (*ticks = fakeNow, true);
    };
    QueryFrequency = [](int64_t* perSecond) { return (*perSecond = fakeFrequency) != -1; };
  }
  void TearDown() override {
    QueryCounter = MonotonicCounter;
    QueryFrequency = MonotonicFrequency;
    LogOutputs = 0;
    LogHistory.clear();
  }
};

}  // namespace

TEST_F(TimerTest, TicksMeasureFromThePreviousReading) {
  Timer timer;
  ASSERT_TRUE(timer.Initialize());
  fakeNow = 5000;
  EXPECT_TRUE(timer.Initialize());  // running already: no new start reading
  EXPECT_EQ(counterReads, 1);
  EXPECT_FLOAT_EQ(timer.Tick(), 4.0f);
  fakeNow += 250;
  EXPECT_FLOAT_EQ(timer.Tick(), 0.25f);
  EXPECT_FLOAT_EQ(timer.Tick(), 0.0f);
  fakeNow += 60000;  // suspended for a minute
  timer.Resync();
  fakeNow += 100;
  EXPECT_FLOAT_EQ(timer.Tick(), 0.1f);
  counterWorks = false;  // a failed reading measures nothing and moves nothing
  timer.Resync();
  EXPECT_FLOAT_EQ(timer.Tick(), 0.0f);
  counterWorks = true;
  fakeNow += 50;
  EXPECT_FLOAT_EQ(timer.Tick(), 0.05f);
}

TEST_F(TimerTest, WithoutACounterTheTimerStaysNew) {
  LogOutputs = LogToHistory;
  for (int64_t frequency : {-1, 0}) {
    fakeFrequency = frequency;
    Timer timer;
    EXPECT_FALSE(timer.Initialize());
    EXPECT_FLOAT_EQ(timer.Tick(), 0.0f);
    fakeFrequency = 1000;
    EXPECT_TRUE(timer.Initialize());  // a later call tries again
  }
  counterWorks = false;
  EXPECT_FALSE(Timer().Initialize());
  ASSERT_EQ(LogHistory.size(), 5u);
  EXPECT_EQ(LogHistory[0], "ERROR:Tessor::Base::Timer::Initialize)System NIE dysponuje "
                           "zegarem o wysokiej czestotliwosci.");
  EXPECT_EQ(LogHistory[1], "OK:Tessor::Base::Timer::Initialize)Zainicjowano Zegar "
                           "(zainicjowano czas uruchomienia) prawidlowo.");
  LogOutputs = 0;
  counterWorks = true;
  EXPECT_TRUE(Timer().Initialize());
  EXPECT_EQ(LogHistory.size(), 5u);  // nothing logged while every output is off
}

TEST(MonotonicTimer, RealClockRunsForward) {
  Timer timer;
  ASSERT_TRUE(timer.Initialize());
  EXPECT_GE(timer.Tick(), 0.0f);
  EXPECT_LT(timer.Tick(), 1.0f);
}
