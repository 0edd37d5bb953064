// serifall_bench: the real frame function with real curses drawing into a
// counted terminal, one table row per scene.
//
//   serifall_bench                         every scene, the table, and
//                                          bench-out/fps_vs_effects.csv
//   serifall_bench --frames N [--null]     N quiet frames only (for callgrind
//                                          and strace; --null skips counting)
#include <curses.h>
#include <pty.h>
#include <unistd.h>

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
#include "platform/input/input_clock.h"
#include "platform/input/term/term_input.h"
#include "platform/output/output.h"
#include "platform/terminal/signals.h"
#include "platform/terminal/term_modes.h"
#include "sink.h"
#include "support/scripted_player.h"
#include "x11_scene.h"

namespace {

using Clock = std::chrono::steady_clock;

InputState heldInput;
int turnNow = 0;  // the view turns by one cell in this frame
// The stalled scene: the reader stops at 1 s for 3 s; Q comes at 2 s.
constexpr double kQuitAt = 2.0;
bool following = false;  // turn toward live cells as a player would
void scriptedPoll(InputState& state) {
  state = heldInput;
  if (following) {
    InputState aim = playerInput();
    state.dx = aim.dx;
    state.dy = aim.dy;
  }
  if (turnNow) state.dx = 1;
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
  double fps, medianUs, p99Us, worstUs, bytesPerGameSecond, writesPerSecond;
  double longestWaitUs, latencyMedianMs, latencyP90Ms, latencyP99Ms;
  double picturesPerSecond, bytesPerSecond;
  size_t effects, latencySamples;
  uint64_t blockedFrames;
  double beforeFps, stalledFps, quitMs;  // the stalled scene only
};

void writeCurvePoint(FILE* curve, const Scene& scene, bool paced, double t, double fps) {
  if (curve)
    std::fprintf(curve, "%s%s,%.3f,%zu,%.1f\n", scene.name, paced ? "" : " (unpaced)", t, effectList.size(),
                 fps);
}

double percentile(std::vector<double>& values, int p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, values.size() * p / 100)];
}

// What a scene does to the terminal beyond the frames themselves.
struct Link {
  double bytesPerSecond = 0;  // the reader's rate; 0 as fast as it can
  bool turns = false;         // turn the view now and then and time the picture
  bool stall = false;         // the reader stops from 1 s to 4 s, Q at 2 s
  int64_t delayMicros = 0;    // a far terminal (see sink.h), this far each way
  bool asks = false;          // the far terminal answered the probe's DA1
  double quitAt = 0;          // Q then, timed to the prompt at the far end
};

// Q, as the game leaves: input modes off, then curses; with a far terminal
// it waits for the answer behind the restore, as the game does.
void leaveAsOnQ(CountedTerminal& terminal, TermInput* far) {
  outputHandOver();
  termModesOff(terminal.slave, false);
  curs_set(1);
  endwin();
  if (outputStop() && far) termAwaitAnswer(*far, 900);
}

// Q pressed at `q` (bench clock): the game ends, and the shell's prompt,
// written then, queues behind whatever the link still holds.
double promptMillis(CountedTerminal& terminal, TermInput* far, int64_t q) {
  leaveAsOnQ(terminal, far);
  int64_t exitAt = benchMicros();
  usleep(5000);  // the reader takes the last bytes
  int64_t sent = std::max<int64_t>(terminal.linkFreeAt, exitAt);
  return static_cast<double>(sent + terminal.delayMicros - q) / 1000.0;
}

Result runScene(const Scene& scene, bool paced, const Link& link, FILE* curve) {
  CountedTerminal terminal;
  terminal.delayMicros = link.delayMicros;
  if (!openCountedTerminal(terminal, scene.rows, scene.cols, link.bytesPerSecond, paced)) {
    std::fprintf(stderr, "serifall_bench: cannot open a terminal\n");
    std::exit(1);
  }
  outputCountSwitches = paced;
  TermInput far;
  termStart(far, terminal.slave, terminal.slave, false);
  if (link.asks) outputAskAnswers();
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
  outputCounts.longestWaitMicros = 0;
  uint64_t streamAtStart = streamBytes(terminal), writesAtStart = writeCalls(terminal);
  uint64_t picturesAtStart = outputCounts.pictures;

  std::vector<double> frameUs, latencyMs;
  double gameSeconds = 0;
  auto begin = Clock::now();
  auto windowStart = begin;
  size_t windowFrames = 0;
  // Turns: the frame that applies one, then the first picture made after it.
  int64_t turnAt = 0, nextTurn = benchMicros() + 200000;
  uint64_t streamAtTurn = 0;
  bool watching = false;
  size_t framesInStall = 0, framesBefore = 0;
  double quitMs = 0;
  bool quit = false;
  for (;;) {
    auto t0 = Clock::now();
    double elapsed = std::chrono::duration<double>(t0 - begin).count();
    if (link.turns && !watching && turnAt == 0 && benchMicros() >= nextTurn) {
      turnNow = 1;
      turnAt = benchMicros();
      streamAtTurn = streamBytes(terminal);
    }
    if (link.stall) {
      if (terminal.stopUntil == 0) {
        terminal.stopFrom = benchMicros() + 1000000;
        terminal.stopUntil = terminal.stopFrom + 3000000;
      }
      if (elapsed >= 1.0 && elapsed < 4.0) ++framesInStall;
      if (elapsed < 1.0) ++framesBefore;
      if (elapsed >= kQuitAt) {
        // Q pressed then is read by the first frame that starts after it.
        int64_t q = benchMicros();
        leaveAsOnQ(terminal, nullptr);
        quitMs = (benchMicros() - q) / 1000.0 + (elapsed - kQuitAt) * 1000.0;
        quit = true;
      }
    }
    if (link.quitAt > 0 && elapsed >= link.quitAt) {
      quitMs = promptMillis(terminal, link.asks ? &far : nullptr, benchMicros()) +
               (elapsed - link.quitAt) * 1000.0;
      quit = true;
    }
    if (quit) break;
    if (link.delayMicros > 0) termDrain(far, inputClockMicros());
    runFrame();
    auto t1 = Clock::now();
    turnNow = 0;
    frameUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    uint64_t stream = streamBytes(terminal);
    if (turnAt && !watching && stream > streamAtTurn) {
      terminal.watchSeenMicros = 0;
      terminal.watchFor = stream;
      watching = true;
    }
    if (watching && terminal.watchSeenMicros) {
      latencyMs.push_back((terminal.watchSeenMicros - turnAt) / 1000.0);
      watching = false;
      turnAt = 0;
      nextTurn = benchMicros() + 100000;
    }
    gameSeconds += frameTime;
    ++windowFrames;
    double window = std::chrono::duration<double>(t1 - windowStart).count();
    if (window >= 0.1) {
      if (!link.turns && !link.stall)
        writeCurvePoint(curve, scene, paced, std::chrono::duration<double>(t1 - begin).count(),
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
  r.fps = n / wall;
  r.worstUs = *std::max_element(frameUs.begin(), frameUs.end());
  r.medianUs = percentile(frameUs, 50);
  r.p99Us = percentile(frameUs, 99);
  r.bytesPerGameSecond = (streamBytes(terminal) - streamAtStart) / gameSeconds;
  r.writesPerSecond = (writeCalls(terminal) - writesAtStart) / wall;
  // Unpaced, the wait is inside refresh and not told apart from the frame.
  r.longestWaitUs = paced ? static_cast<double>(outputCounts.longestWaitMicros) : r.worstUs;
  r.latencySamples = latencyMs.size();
  r.blockedFrames = outputCounts.blockedFrames;
  r.latencyMedianMs = percentile(latencyMs, 50);
  r.latencyP90Ms = percentile(latencyMs, 90);
  r.latencyP99Ms = percentile(latencyMs, 99);
  r.picturesPerSecond = static_cast<double>(outputCounts.pictures - picturesAtStart) / wall;
  r.bytesPerSecond = static_cast<double>(streamBytes(terminal) - streamAtStart) / wall;
  r.stalledFps = framesInStall / (kQuitAt - 1.0);
  r.beforeFps = static_cast<double>(framesBefore);
  r.quitMs = quitMs;
  frameBlank = [] { return erase(); };
  following = false;
  outputCountSwitches = false;
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
  (void)toNull;  // the reader thread takes the bytes either way
  if (!openCountedTerminal(terminal, 25, 80, 0, true)) return 1;
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
  }
  closeCountedTerminal(terminal);
  return 0;
}

// A player over SSH on a slow link: sshd and TCP take every picture at once
// and hold megabytes, so no write ever waits. Pictures answered by the far
// terminal beside today's pacing, which cannot see the link.
void farLink() {
  std::printf("\n%-30s %9s %9s %9s %8s %9s %9s %10s %9s\n", "far link 20 kB/s, 40 ms", "turn med", "turn p90",
              "turn p99", "samples", "Q prompt", "bytes/s", "pictures/s", "frames/s");
  const Scene scenes[] = {{"quiet", 25, 80, 10.0, aimAtFormation, false, false, false},
                          {"W held", 25, 80, 10.0, aimAtFormation, true, false, false}};
  for (const Scene& scene : scenes) {
    for (int asks = 1; asks >= 0; --asks) {
      Link link;
      link.bytesPerSecond = 20000;
      link.delayMicros = 40000;
      link.turns = true;
      link.asks = asks;
      link.quitAt = scene.seconds - 1.0;
      Result r = runScene(scene, true, link, nullptr);
      std::string name = std::string(scene.name) + (asks ? ", answered" : ", today's pacing");
      std::printf("%-30s %7.0fms %7.0fms %7.0fms %8zu %7.0fms %9.0f %10.1f %9.0f\n", name.c_str(),
                  r.latencyMedianMs, r.latencyP90Ms, r.latencyP99Ms, r.latencySamples, r.quitMs,
                  r.bytesPerSecond, r.picturesPerSecond, r.fps);
      std::fflush(stdout);
    }
  }
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
      {"W held", 25, 80, 8.0, aimAtFormation, true, false, false},
      {"power-up", 25, 80, 8.0, powerUpOn, false, false, false},
      {"late level", 25, 80, 5.0, lateLevel, false, true, false},
      {"quiet, clear()", 25, 80, 3.0, aimAtFormation, false, false, true},
  };
  std::system("mkdir -p bench-out");
  FILE* curve = std::fopen("bench-out/fps_vs_effects.csv", "w");
  if (curve) std::fprintf(curve, "scene,seconds,effects,fps\n");
  FILE* table = std::fopen("bench-out/scenes.csv", "w");
  if (table) std::fprintf(table, "scene,mode,fps,median_us,p99_us,bytes_per_game_s,writes_per_s\n");
  // --only TEXT runs the scenes whose name contains TEXT.
  const char* only = argc >= 3 && std::strcmp(argv[1], "--only") == 0 ? argv[2] : nullptr;
  std::printf("%-15s %-8s %9s %9s %9s %13s %9s %8s\n", "scene", "output", "frames/s", "median us", "p99 us",
              "bytes/game s", "writes/s", "effects");
  for (const Scene& scene : scenes) {
    if (only && !std::strstr(scene.name, only)) continue;
    Result both[2];
    for (int paced = 1; paced >= 0; --paced) {
      Result r = both[paced] = runScene(scene, paced, Link{}, curve);
      std::printf("%-15s %-8s %9.0f %9.2f %9.2f %13.0f %9.0f %8zu\n", scene.name, paced ? "paced" : "unpaced",
                  r.fps, r.medianUs, r.p99Us, r.bytesPerGameSecond, r.writesPerSecond, r.effects);
      if (table)
        std::fprintf(table, "%s,%s,%.0f,%.2f,%.2f,%.0f,%.0f\n", scene.name, paced ? "paced" : "unpaced",
                     r.fps, r.medianUs, r.p99Us, r.bytesPerGameSecond, r.writesPerSecond);
    }
    std::printf("%-15s %-8s %9.2f %20s %13.1f times fewer bytes\n", "", "ratio", both[1].fps / both[0].fps,
                "", both[0].bytesPerGameSecond / std::max(1.0, both[1].bytesPerGameSecond));
    std::fflush(stdout);
  }

  // A slow link: W held while the terminal takes 20 kB/s, beside a fast one.
  const Scene held = {"W held", 25, 80, 8.0, aimAtFormation, true, false, false};
  if (!only || std::strstr("slow link", only)) {
    std::printf("\n%-22s %9s %9s %10s %14s %7s %11s %11s %8s\n", "slow link (W held)", "frames/s", "p99 us",
                "worst us", "longest wait us", "slept", "turn med ms", "turn p99 ms", "samples");
    struct Run {
      const char* name;
      bool paced;
      double rate;
    } runs[] = {{"paced, fast reader", true, 0},
                {"paced, 20 kB/s", true, 20000},
                {"unpaced, 20 kB/s", false, 20000},
                {"unpaced, fast reader", false, 0}};
    for (const Run& run : runs) {
      Link link;
      link.bytesPerSecond = run.rate;
      link.turns = true;
      Result r = runScene(held, run.paced, link, nullptr);
      std::printf("%-22s %9.0f %9.0f %10.0f %14.0f %7s %11.1f %11.1f %8zu\n", run.name, r.fps, r.p99Us,
                  r.worstUs, r.longestWaitUs, run.paced ? std::to_string(r.blockedFrames).c_str() : "-",
                  r.latencyMedianMs, r.latencyP99Ms, r.latencySamples);
      std::fflush(stdout);
    }
  }

  // A terminal that stops reading for 3 s; Q a second into the stall.
  if (!only || std::strstr("stalled", only)) {
    std::printf("\n%-22s %16s %16s %10s\n", "stalled (W held)", "frames/s before", "frames/s stalled",
                "Q ms");
    for (int paced = 1; paced >= 0; --paced) {
      Link link;
      link.stall = true;
      Scene scene = held;
      scene.seconds = 10;
      Result r = runScene(scene, paced, link, nullptr);
      std::printf("%-22s %16.0f %16.0f %10.1f\n", paced ? "paced" : "unpaced", r.beforeFps, r.stalledFps,
                  r.quitMs);
      std::fflush(stdout);
    }
  }
  if (!only || std::strstr("far link", only)) farLink();
  // The input layer read for real, through each backend in turn.
  if (!only || std::strstr("input layer", only))
    benchInputBackends(
        [] {
          Result r =
              runScene({"W held", 25, 80, 5.0, aimAtFormation, true, false, false}, true, Link{}, nullptr);
          return SceneRate{r.fps, r.picturesPerSecond};
        },
        3);
  if (curve) std::fclose(curve);
  if (table) std::fclose(table);
  return 0;
}
