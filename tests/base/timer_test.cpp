#include "base/ktimer.h"

#include <gtest/gtest.h>

using namespace Tessor::Base;

static int64_t fakeNow, fakeFrequency;
static bool counterWorks;

TEST(Timer, FakeCounterTicksAndResync) {
  QueryCounter = [](int64_t* ticks) { return counterWorks && (*ticks = fakeNow, true); };
  QueryFrequency = [](int64_t* perSecond) { return (*perSecond = fakeFrequency) != -1; };
  Timer timer;
  // No rate, a rate of 0, no reading: the timer stays new, measures nothing, and tries again.
  for (int64_t frequency : {-1, 0, 1000}) {
    fakeFrequency = frequency;
    EXPECT_FALSE(timer.Initialize());
    EXPECT_FLOAT_EQ(timer.Tick(), 0.0f);
  }
  counterWorks = true;
  ASSERT_TRUE(timer.Initialize());
  fakeNow += 4000;
  EXPECT_TRUE(timer.Initialize());  // running already: no new start reading
  EXPECT_FLOAT_EQ(timer.Tick(), 4.0f);
  fakeNow += 60000;  // suspended for a minute
  timer.Resync();
  counterWorks = false;  // a failed reading measures nothing and moves nothing
  timer.Resync();
  EXPECT_FLOAT_EQ(timer.Tick(), 0.0f);
  counterWorks = true;
  fakeNow += 50;
  EXPECT_FLOAT_EQ(timer.Tick(), 0.05f);
  QueryCounter = MonotonicCounter;
  QueryFrequency = MonotonicFrequency;
}
