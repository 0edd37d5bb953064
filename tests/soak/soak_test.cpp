// Long play: the scripted player at 1 ms frames for SERIFALL_SOAK_SECONDS of
// game time (60 by default). The live effects and the resident memory must
// level off; the sanitizer build adds that nothing leaks.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/gfx/effect_list.h"
#include "support/frame_fixture.h"
#include "support/scripted_player.h"

namespace {

long residentKiB() {
  long pages = 0;
  long resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(statm);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long soakSeconds() {
  const char* text = std::getenv("SERIFALL_SOAK_SECONDS");
  long seconds = text ? std::atol(text) : 60;
  return seconds > 0 ? seconds : 60;
}

}  // namespace

class Soak : public FrameTest {};

TEST_F(Soak, EffectsAndMemoryLevelOff) {
  const long seconds = soakSeconds();
  const long frames = seconds * 1000;
  start(7);
  // Peaks per tenth of the run; the first tenth is the warm-up.
  size_t effectPeak[10] = {};
  long memory[10] = {};
  for (long f = 0; f < frames; ++f) {
    ASSERT_TRUE(frame(0.001f, playerInput()));
    size_t part = static_cast<size_t>(f * 10 / frames);
    effectPeak[part] = std::max(effectPeak[part], effectList.size());
    if ((f + 1) % (frames / 10) == 0) memory[part] = residentKiB();
  }
  size_t earlyPeak = *std::max_element(effectPeak + 1, effectPeak + 5);
  size_t latePeak = *std::max_element(effectPeak + 5, effectPeak + 10);
  std::printf("game time %ld s: effect peaks %zu early, %zu late; resident %ld KiB -> %ld KiB\n",
              seconds, earlyPeak, latePeak, memory[1], memory[9]);
  // Power-up countdowns make 4 texts per millisecond of frame time at most.
  EXPECT_LT(latePeak, 20000u);
  if (seconds >= 600) {
    EXPECT_LE(latePeak, earlyPeak * 2 + 100);
    EXPECT_LT(memory[9] - memory[1], 4096) << "resident memory kept growing";
  }
}
