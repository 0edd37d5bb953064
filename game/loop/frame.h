// One frame of the game and the state that lives from frame to frame.
//
// The programs and the tests run exactly this code; only the source of
// input differs (framePoll), and the clock can be faked through the
// counter hooks of Tessor::Base.
#pragma once

#include <memory>

#include "base/ktimer.h"
#include "game/gfx/stars.h"
#include "platform/input/input.h"

extern Tessor::Base::Timer frameTimer;
extern float frameTime;
extern std::unique_ptr<gfxStars> starField;
extern float fireCooldown;
extern float enemyFireTimer;

// What the last frame's poll saw (the caller looks at quit, suspend and
// hangup after the frame).
extern InputState frameInput;

// Where a frame's input comes from: inputPoll in the programs.
extern void (*framePoll)(InputState& state);
// How a frame blanks the screen before drawing: erase. The benchmark swaps
// in clear to show what a full repaint per frame costs.
extern int (*frameBlank)();
// Where start-up pins the pointer: inputPin in the programs.
extern void (*framePin)();

// Start-up after the intro, from a fresh game (resetGame): first formation,
// opening bursts, pointer anchor, timer, star field.
void startGame();

// Runs one frame. Returns false when the player quit (Q, or Ctrl-C and the
// like as a key); the rest of that frame is not run.
bool runFrame();

// Puts every module's state back to a fresh game with the given seed: each
// module's own reset, which also gave it its values before main. The
// program (seeded from the clock), the tests and the benchmark all start a
// game with resetGame and then startGame. The screen size stays.
void resetGame(uint64_t seed);
