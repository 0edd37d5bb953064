#include "platform/output_pace.h"

PaceStep paceStep(const OutputPace& pace, int64_t now, bool changed, bool pending, bool (*writable)()) {
  // A new picture is only made once the last one is out: a picture built on
  // top of unsent bytes would be diffed against a screen the terminal does
  // not show yet, and a slow terminal would queue pictures it cannot keep up
  // with instead of skipping to the latest one.
  if (pending) return writable() ? PaceStep::push : PaceStep::nothing;
  if (!changed) return PaceStep::nothing;
  if (pace.sentAny && now - pace.lastSent < pace.intervalMicros) return PaceStep::nothing;
  return writable() ? PaceStep::send : PaceStep::nothing;
}

void paceSent(OutputPace& pace, int64_t now) {
  pace.sentAny = true;
  pace.lastSent = now;
}
