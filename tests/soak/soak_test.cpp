// Long play: the scripted player at 1 ms frames for SERIFALL_SOAK_SECONDS of
// game time (60 by default). The live effects and the resident memory must
// level off; the sanitizer build adds that nothing leaks.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fixtures/frame_fixture.h"
#include "support/scripted_player.h"

namespace {

long residentPages() {
  long pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%*s %ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  return pages;
}

}  // namespace

class Soak : public FrameTest {};

TEST_F(Soak, EffectsAndMemoryLevelOff) {
  const char* text = std::getenv("SERIFALL_SOAK_SECONDS");
  const long seconds = std::max(10L, text ? std::atol(text) : 60L), frames = seconds * 1000;
  start(7);
  // Peaks and resident pages per tenth of the run; the first tenth is the warm-up.
  size_t peak[10] = {};
  long pages[10] = {};
  for (long f = 0; f < frames; ++f) {
    ASSERT_TRUE(frame(0.001f, playerInput()));
    const size_t part = static_cast<size_t>(f * 10 / frames);
    peak[part] = std::max(peak[part], effectList.size());
    if ((f + 1) % 1000 == 0) pages[part] = residentPages();
  }
  const size_t early = *std::max_element(peak + 1, peak + 5), late = *std::max_element(peak + 5, peak + 10);
  const long grownKiB = (pages[9] - pages[1]) * (sysconf(_SC_PAGESIZE) / 1024);
  std::printf("%ld s: effect peaks %zu early, %zu late; resident grew %ld KiB\n", seconds, early, late,
              grownKiB);
  EXPECT_LT(late, 20000u);
  if (seconds >= 600) {
    EXPECT_LE(late, early * 2 + 100);
    EXPECT_LT(grownKiB, 4096) << "resident memory kept growing";
  }
}
