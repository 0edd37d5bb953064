// The input layer's time: a monotonic clock in microseconds. Everything
// below the public functions takes the time as an argument, so tests pass
// their own.
#pragma once

#include <cstdint>

int64_t inputClockMicros();
