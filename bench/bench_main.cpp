// serifall_bench: the real frame function with real curses drawing into a
// counted terminal, one table row per scene.
//
//   serifall_bench                         every scene, the table, and
//                                          bench-out/fps_vs_effects.csv
//   serifall_bench --frames N [--null]     N quiet frames only (for callgrind
//                                          and strace; --null skips counting)
#include <pty.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/ktimer.h"
#include "game/gfx/effect_list.h"
#include "game/loop/frame.h"
#include "game/loop/powerup.h"
#include "game/loop/state.h"
#include "game/world/letters.h"
#include "game/world/levels.h"
#include "game/world/shots.h"
#include "platform/signals.h"
#include "sink.h"
#include "support/scripted_player.h"

namespace {

using Clock = std::chrono::steady_clock;

InputState heldInput;
bool following = false;  // turn toward live cells as a player would
void scriptedPoll(InputState& state) {
  state = heldInput;
  if (following) {
    InputState aim = playerInput();
    state.dx = aim.dx;
    state.dy = aim.dy;
  }
}
void noPin() {}

struct Scene {
  const char* name;
  int rows;
  int cols;
  double seconds;
  void (*prepare)();
  bool w;
  bool space;
  bool useClear;
};

// Puts the letter where the crosshair is, so it is on screen and shots hit.
void aimAtFormation() {
  viewRow = screenRows / 2 - (formationRow + 16);
  viewCol = screenCols / 2 - (formationCol + 16);
}


void powerUpOn() {
  aimAtFormation();
  powerUpActive = true;
  powerUpTimeLeft = 10.0f;
}

// Clears letters through the game's own level change up to O-acute, then
// keeps turning toward what is left of the letter while space is held.
void lateLevel() {
  while (levelGrid != letterGrids[19]) {
    std::memset(levelGrid, 0, sizeof(LetterGrid));
    setUpLevel(false);
  }
  aimAtFormation();
  following = true;
  // No power-up in this scene: its countdown texts are a scene of their own.
  powerUpMarkerTime = -1.0f;
  powerUpSpawnTimer = 1.0e9f;
}

// The real clock, plus whatever the warm-up skipped.
int64_t skew = 0;
bool skewedCounter(int64_t* ticks) {
  bool ok = Tessor::Base::MonotonicCounter(ticks);
  *ticks += skew;
  return ok;
}

// The opening bursts and their flickering cloud would dominate the first
// seconds of every scene; one frame of 4 s of game time lets them finish
// (the first enemy shot is due at 5 s) and the next frame removes them.
void skipOpening() {
  skew += 4000000000LL;
  runFrame();
  runFrame();
}

struct Result {
  double fps, medianUs, p99Us, bytesPerFrame, bytesPerGameSecond, zeroFramesShare;
  size_t effects;
};

void writeCurvePoint(FILE* curve, const Scene& scene, double t, double fps) {
  if (curve) std::fprintf(curve, "%s,%.3f,%zu,%.1f\n", scene.name, t, effectList.size(), fps);
}

Result runScene(const Scene& scene, FILE* curve) {
  CountedTerminal terminal;
  if (!openCountedTerminal(terminal, scene.rows, scene.cols, false)) {
    std::fprintf(stderr, "serifall_bench: cannot open a terminal\n");
    std::exit(1);
  }
  screenRows = scene.rows;
  screenCols = scene.cols;
  resetGame(20261206);
  Tessor::Base::QueryCounter = skewedCounter;
  startGame();
  heldInput = InputState();
  skipOpening();
  scene.prepare();
  heldInput.w = scene.w;
  heldInput.space = scene.space;
  frameBlank = scene.useClear ? [] { return clear(); } : [] { return erase(); };

  std::vector<double> frameUs;
  uint64_t zeroFrames = 0;
  double gameSeconds = 0;
  auto begin = Clock::now();
  auto windowStart = begin;
  size_t windowFrames = 0;
  for (;;) {
    auto t0 = Clock::now();
    runFrame();
    auto t1 = Clock::now();
    frameUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    if (drainTerminal(terminal) == 0) ++zeroFrames;
    gameSeconds += frameTime;
    ++windowFrames;
    double window = std::chrono::duration<double>(t1 - windowStart).count();
    if (window >= 0.1) {
      writeCurvePoint(curve, scene, std::chrono::duration<double>(t1 - begin).count(),
                      windowFrames / window);
      windowStart = t1;
      windowFrames = 0;
    }
    if (std::chrono::duration<double>(t1 - begin).count() >= scene.seconds) break;
  }
  double wall = std::chrono::duration<double>(Clock::now() - begin).count();
  Result r{};
  size_t n = frameUs.size();
  r.effects = effectList.size();
  std::sort(frameUs.begin(), frameUs.end());
  r.fps = n / wall;
  r.medianUs = frameUs[n / 2];
  r.p99Us = frameUs[std::min(n - 1, n * 99 / 100)];
  r.bytesPerFrame = static_cast<double>(terminal.bytes) / n;
  r.bytesPerGameSecond = terminal.bytes / gameSeconds;
  r.zeroFramesShare = 100.0 * zeroFrames / n;
  frameBlank = [] { return erase(); };
  following = false;
  Tessor::Base::QueryCounter = Tessor::Base::MonotonicCounter;
  closeCountedTerminal(terminal);
  resetGame(1);
  return r;
}

int64_t fakeNow = 0;
int64_t fakeStep = 0;
bool fakeCounter(int64_t* ticks) {
  *ticks = fakeNow += fakeStep;
  return true;
}

double envNumber(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::atof(text) : 0.0;
}

// A fixed number of frames of the quiet scene after the opening, for
// instruction and system-call counts. Environment:
//   SERIFALL_BENCH_DT=<ms>  each frame takes that long on a fake clock (so a
//                           run under valgrind sees the game time of a native
//                           one); 0 freezes the clock: every frame after the
//                           first is an unchanged one;
//   SERIFALL_BENCH_W=1      W held (to profile the W equilibrium);
//   SERIFALL_BENCH_INPUT=1  the real input layer polls a pseudo-terminal that
//                           nobody types into, as the game's frame does.
int runFrames(long frames, bool toNull) {
  if (std::getenv("SERIFALL_BENCH_INPUT")) {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 1;
    inputOpen(slave, slave);
    framePoll = inputPoll;
  }
  CountedTerminal terminal;
  if (!openCountedTerminal(terminal, 25, 80, toNull)) return 1;
  screenRows = 25;
  screenCols = 80;
  resetGame(20261206);
  Tessor::Base::QueryCounter = fakeCounter;
  fakeStep = 0;
  startGame();
  heldInput = InputState();
  fakeStep = 4000000000LL;  // the opening, skipped as in the scenes
  runFrame();
  fakeStep = static_cast<int64_t>(envNumber("SERIFALL_BENCH_DT") * 1e6);
  runFrame();
  aimAtFormation();
  heldInput.w = std::getenv("SERIFALL_BENCH_W") != nullptr;
  for (long i = 0; i < frames; ++i) {
    runFrame();
    drainTerminal(terminal);
  }
  closeCountedTerminal(terminal);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // As in the game, so that curses leaves Ctrl-Z alone and does not wrap
  // every refresh in two sigaction calls.
  installSignalHandlers();
  framePoll = scriptedPoll;
  framePin = noPin;
  if (argc >= 3 && std::strcmp(argv[1], "--frames") == 0)
    return runFrames(std::atol(argv[2]), argc >= 4 && std::strcmp(argv[3], "--null") == 0);

  const Scene scenes[] = {
      {"quiet 80x25", 25, 80, 3.0, aimAtFormation, false, false, false},
      {"large 200x60", 60, 200, 3.0, aimAtFormation, false, false, false},
      {"W held", 25, 80, 10.0, aimAtFormation, true, false, false},
      {"power-up", 25, 80, 10.0, powerUpOn, false, false, false},
      {"late level", 25, 80, 5.0, lateLevel, false, true, false},
      {"quiet, clear()", 25, 80, 3.0, aimAtFormation, false, false, true},
  };
  std::system("mkdir -p bench-out");
  FILE* curve = std::fopen("bench-out/fps_vs_effects.csv", "w");
  if (curve) std::fprintf(curve, "scene,seconds,effects,fps\n");
  std::printf("%-16s %10s %10s %10s %12s %14s %9s %8s\n", "scene", "frames/s", "median us",
              "p99 us", "bytes/frame", "bytes/game s", "effects", "0-byte %");
  // --only TEXT runs the scenes whose name contains TEXT.
  const char* only = argc >= 3 && std::strcmp(argv[1], "--only") == 0 ? argv[2] : nullptr;
  for (const Scene& scene : scenes) {
    if (only && !std::strstr(scene.name, only)) continue;
    Result r = runScene(scene, curve);
    std::printf("%-16s %10.0f %10.2f %10.2f %12.1f %14.0f %9zu %8.1f\n", scene.name, r.fps,
                r.medianUs, r.p99Us, r.bytesPerFrame, r.bytesPerGameSecond, r.effects,
                r.zeroFramesShare);
    std::fflush(stdout);
  }
  if (curve) std::fclose(curve);
  return 0;
}
