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
#include "far_link.h"
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
  // How old each picture was when its last byte reached the terminal.
  double ageMedianMs, ageP99Ms;
  uint64_t queuedMost;  // bytes taken by the link, not yet at the terminal
  // The outage: bytes waiting at the restore, and from the restore to the
  // first picture no older than kFreshMs (negative: none in the scene).
  uint64_t queuedAtRestore;
  size_t picturesAtRestore;  // made before it, not yet at the terminal
  double freshAfterMs;
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
  double bytesPerSecond = 0;  // the near reader's rate; 0 as fast as it can
  bool turns = false;         // turn the view every kTurnEvery and time the pictures
  bool stall = false;         // the reader stops from 1 s to 4 s, Q at 2 s
  bool far = false;           // a far terminal (far_link.h) of this shape,
  LinkShape shape;            // its outage counted from the scene's start
  bool asks = false;          // the terminal answered the probe's DA1
  double quitAt = 0;          // Q then, timed to the prompt at the far end
};

constexpr int64_t kTurnEvery = 150000;
constexpr double kFreshMs = 300;

// Q, as the game leaves: input modes off, then curses; with a terminal that
// answers it waits for the answer behind the restore, and behind every
// answer still owed, for as long as the link is silent less than 8 s, as
// the game does.
void leaveAsOnQ(CountedTerminal& terminal, TermInput* far) {
  outputHandOver();
  termModesOff(terminal.slave, false);
  curs_set(1);
  endwin();
  if (outputStop() && far) termAwaitAnswer(*far, 8000);
}

// Waits until the reader has taken everything written so far, or a second.
void waitRead(CountedTerminal& terminal) {
  uint64_t last = UINT64_MAX;
  for (int i = 0; i < 100 && terminal.bytes != last; i++) {
    last = terminal.bytes;
    usleep(10000);
  }
}

// Where the game's stream (streamBytes) stands in the reader's: everything
// the game made is sent and read, so the two differ only by what was
// written beside the pictures (the probe, the input modes).
int64_t settle(CountedTerminal& terminal, TermInput& far, bool paced) {
  for (int i = 0; i < 3; i++) {
    if (paced) outputShow(100);
    termDrain(far, inputClockMicros());
    waitRead(terminal);
  }
  return static_cast<int64_t>(terminal.bytes) - static_cast<int64_t>(streamBytes(terminal));
}

// Where the scene's link leaves the set-up's fast one.
void shapeLink(CountedTerminal& terminal, const Link& link, int64_t start) {
  if (!link.far) {
    terminal.bytesPerSecond = link.bytesPerSecond;
    return;
  }
  terminal.shape = link.shape;
  if (link.shape.downUntil > 0) {
    terminal.shape.downFrom += start;
    terminal.shape.downUntil += start;
  }
  terminal.shaped = true;
}

// A picture, made by the frame that started at `madeAt`, ends at `end` of
// the reader's stream.
struct Picture {
  int64_t madeAt;
  uint64_t end;
};
struct Turn {
  int64_t at;
  size_t picture;  // the first picture made from then on
};

// What the terminal saw, from the reader's record once it has stopped.
void linkFigures(Result& r, const CountedTerminal& terminal, const Link& link,
                 const std::vector<Picture>& pictures, const std::vector<Turn>& turns, int64_t begin,
                 int64_t end) {
  const std::vector<LinkPiece>& pieces = terminal.far ? terminal.link.pieces : terminal.reads;
  std::vector<double> ages, latencyMs;
  r.freshAfterMs = -1;
  int64_t restore = terminal.shape.downUntil;
  for (const Picture& p : pictures) {
    int64_t arrived = linkArrivalOf(pieces, p.end);
    if (!arrived) continue;
    double age = (arrived - p.madeAt) / 1000.0;
    ages.push_back(age);
    if (restore > 0 && p.madeAt < restore && arrived > restore) ++r.picturesAtRestore;
    if (link.far && restore > 0 && arrived >= restore && age <= kFreshMs &&
        (r.freshAfterMs < 0 || (arrived - restore) / 1000.0 < r.freshAfterMs))
      r.freshAfterMs = (arrived - restore) / 1000.0;
  }
  for (const Turn& turn : turns) {
    int64_t arrived = turn.picture < pictures.size() ? linkArrivalOf(pieces, pictures[turn.picture].end) : 0;
    if (arrived) latencyMs.push_back((arrived - turn.at) / 1000.0);
  }
  r.ageMedianMs = percentile(ages, 50);
  r.ageP99Ms = percentile(ages, 99);
  r.latencySamples = latencyMs.size();
  r.latencyMedianMs = percentile(latencyMs, 50);
  r.latencyP90Ms = percentile(latencyMs, 90);
  r.latencyP99Ms = percentile(latencyMs, 99);
  r.queuedMost = 0;
  for (int64_t t = begin; t <= end; t += 20000)
    r.queuedMost = std::max(r.queuedMost, linkQueuedAt(pieces, t));
  r.queuedAtRestore = restore > 0 ? linkQueuedAt(pieces, restore) : 0;
}

Result runScene(const Scene& scene, bool paced, const Link& link, FILE* curve) {
  CountedTerminal terminal;
  terminal.far = link.far;
  terminal.seed = 20261207;
  if (!openCountedTerminal(terminal, scene.rows, scene.cols, 0, paced)) {
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
  int64_t base = settle(terminal, far, paced);
  outputCounts.longestWaitMicros = 0;
  uint64_t streamAtStart = streamBytes(terminal), writesAtStart = writeCalls(terminal);
  uint64_t picturesAtStart = outputCounts.pictures;

  std::vector<double> frameUs;
  std::vector<Picture> pictures;
  std::vector<Turn> turns;
  double gameSeconds = 0;
  auto begin = Clock::now();
  int64_t beginMicros = benchMicros();
  shapeLink(terminal, link, beginMicros);
  auto windowStart = begin;
  size_t windowFrames = 0;
  int64_t nextTurn = beginMicros + 200000;
  size_t framesInStall = 0, framesBefore = 0;
  double quitMs = 0;
  int64_t quitAt = 0;
  bool quit = false;
  for (;;) {
    auto t0 = Clock::now();
    int64_t t0Micros = benchMicros();
    double elapsed = std::chrono::duration<double>(t0 - begin).count();
    if (link.turns && t0Micros >= nextTurn) {
      turnNow = 1;
      turns.push_back({t0Micros, pictures.size()});
      nextTurn += kTurnEvery;
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
      // The shell's prompt, written once the game has ended, queues behind
      // whatever the link still holds.
      quitAt = beginMicros + static_cast<int64_t>(link.quitAt * 1e6);
      leaveAsOnQ(terminal, link.asks ? &far : nullptr);
      if (write(terminal.slave, "$ ", 2) != 2) quitAt = 0;
      quit = true;
    }
    if (quit) break;
    if (link.far) termDrain(far, inputClockMicros());
    // Unpaced, every frame that wrote something made a picture.
    uint64_t picturesBefore = paced ? outputCounts.pictures : streamBytes(terminal);
    runFrame();
    auto t1 = Clock::now();
    turnNow = 0;
    if ((paced ? outputCounts.pictures : streamBytes(terminal)) != picturesBefore)
      pictures.push_back(
          {t0Micros, static_cast<uint64_t>(base + static_cast<int64_t>(streamBytes(terminal)))});
    frameUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
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
  int64_t endMicros = benchMicros();
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
  r.blockedFrames = outputCounts.blockedFrames;
  r.picturesPerSecond = static_cast<double>(outputCounts.pictures - picturesAtStart) / wall;
  r.bytesPerSecond = static_cast<double>(streamBytes(terminal) - streamAtStart) / wall;
  r.stalledFps = framesInStall / (kQuitAt - 1.0);
  r.beforeFps = static_cast<double>(framesBefore);
  if (quitAt) waitRead(terminal);
  uint64_t promptEnd = terminal.bytes;
  frameBlank = [] { return erase(); };
  following = false;
  outputCountSwitches = false;
  Tessor::Base::QueryCounter = Tessor::Base::MonotonicCounter;
  closeCountedTerminal(terminal);
  resetGame(1);
  linkFigures(r, terminal, link, pictures, turns, beginMicros, endMicros);
  r.quitMs = quitMs;
  if (quitAt) {
    int64_t prompt = linkArrivalOf(terminal.far ? terminal.link.pieces : terminal.reads, promptEnd);
    r.quitMs = prompt ? (prompt - quitAt) / 1000.0 : -1;
  }
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

// One row of the far and answering terminals' tables; the restore columns
// only where the link went down.
void linkHeader(const char* title) {
  std::printf("\n%-48s %8s %8s %7s %8s %8s %9s %9s %9s %10s %8s %10s %8s %10s\n", title, "turn med",
              "turn p99", "samples", "age med", "age p99", "queued", "Q prompt", "bytes/s", "pictures/s",
              "frames/s", "at restore", "pictures", "fresh ms");
}

std::string millis(double ms) { return ms < 0 ? "none" : std::to_string(static_cast<long>(ms + 0.5)) + "ms"; }

void linkRow(const std::string& name, const Result& r, bool outage, bool quits) {
  std::printf("%-48s %6.0fms %6.0fms %7zu %6.0fms %6.0fms %9llu %9s %9.0f %10.1f %8.0f", name.c_str(),
              r.latencyMedianMs, r.latencyP99Ms, r.latencySamples, r.ageMedianMs, r.ageP99Ms,
              static_cast<unsigned long long>(r.queuedMost), quits ? millis(r.quitMs).c_str() : "-",
              r.bytesPerSecond, r.picturesPerSecond, r.fps);
  if (outage)
    std::printf(" %10llu %8zu %10s", static_cast<unsigned long long>(r.queuedAtRestore), r.picturesAtRestore,
                millis(r.freshAfterMs).c_str());
  std::printf("\n");
  std::fflush(stdout);
}

// Answered against the same terminal with the requests off, which is the
// pacing of before acknowledged pictures.
void ratioRow(const Result& answered, const Result& silent) {
  std::printf("%-48s pictures/s %.2f, turn median %.2f, age median %.2f\n", "  answered / no answers",
              answered.picturesPerSecond / std::max(0.1, silent.picturesPerSecond),
              answered.latencyMedianMs / std::max(0.1, silent.latencyMedianMs),
              answered.ageMedianMs / std::max(0.1, silent.ageMedianMs));
  std::fflush(stdout);
}

Link farShape(double bytesPerSecond, int64_t delayMicros, bool asks) {
  Link link;
  link.far = true;
  link.shape.bytesPerSecond = bytesPerSecond;
  link.shape.delayMicros = delayMicros;
  link.turns = true;
  link.asks = asks;
  return link;
}

// A player over SSH: sshd and TCP take every picture at once and hold
// megabytes, so no write ever waits. Pictures answered by the far terminal
// beside the pacing that cannot see the link (the requests off).
void farLink(double seconds) {
  linkHeader("far link (sshd and TCP hold everything)");
  struct Preset {
    const char* name;
    double rate;
    int64_t delay;
  } presets[] = {{"LAN", 0, 0}, {"10 Mbit/s, 10 ms", 1250000, 10000}, {"160 kbit/s, 40 ms", 20000, 40000}};
  const Scene scenes[] = {{"quiet", 25, 80, seconds, aimAtFormation, false, false, false},
                          {"W held", 25, 80, seconds, aimAtFormation, true, false, false}};
  for (const Preset& preset : presets) {
    for (const Scene& scene : scenes) {
      Result both[2];
      for (int asks = 1; asks >= 0; --asks) {
        Link link = farShape(preset.rate, preset.delay, asks);
        link.quitAt = scene.seconds - 1.0;
        both[asks] = runScene(scene, true, link, nullptr);
        linkRow(std::string(preset.name) + ", " + scene.name + (asks ? ", answered" : ", no answers"),
                both[asks], false, true);
      }
      ratioRow(both[1], both[0]);
    }
  }
}

// Terminals whose answers take their time: a near one that answers after
// its own frame (30 to 80 ms, nothing queued on the way), a far one that
// answers 2 s late, and the slow link gone for 20 s while the player keeps
// turning.
void answeringTerminals(double seconds) {
  linkHeader("answering terminals");
  const Scene quiet = {"quiet", 25, 80, seconds, aimAtFormation, false, false, false};
  const Scene held = {"W held", 25, 80, seconds, aimAtFormation, true, false, false};
  for (const Scene* scene : {&held, &quiet}) {
    Result both[2];
    for (int asks = 1; asks >= 0; --asks) {
      Link link = farShape(0, 0, asks);
      link.shape.answerMinMicros = 30000;
      link.shape.answerMaxMicros = 80000;
      both[asks] = runScene(*scene, true, link, nullptr);
      linkRow(
          std::string("near, answers in 30-80 ms, ") + scene->name + (asks ? ", answered" : ", no answers"),
          both[asks], false, false);
    }
    ratioRow(both[1], both[0]);
  }
  Link late = farShape(20000, 40000, true);
  late.shape.answerMinMicros = late.shape.answerMaxMicros = 2000000;
  linkRow("160 kbit/s, 40 ms, answers 2 s late, quiet", runScene(quiet, true, late, nullptr), false, false);
  // Down from 3 s to 23 s, then 27 s to come back.
  Scene outage = quiet;
  outage.seconds = 50;
  for (int asks = 1; asks >= 0; --asks) {
    Link link = farShape(20000, 40000, asks);
    link.shape.downFrom = 3000000;
    link.shape.downUntil = 23000000;
    linkRow(std::string("160 kbit/s, 40 ms, down 20 s, quiet") + (asks ? ", answered" : ", no answers"),
            runScene(outage, true, link, nullptr), true, false);
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
  if (!only || std::strstr("far link", only)) farLink(8.0);
  if (!only || std::strstr("answering terminals", only)) answeringTerminals(8.0);
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
