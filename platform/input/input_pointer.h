// Pointer motion from terminal mouse reports.
//
// Only deltas count (terminals differ on where positions start). The first
// motion report after start, focus-in, a leave event or a pin only sets the
// baseline; each poll takes the latest position minus the baseline.
// Clicks, releases and the wheel never move the view.
//
// Positions are clamped to the window, and one poll's motion to the
// window's extent (pointerLimitX/Y units; the parser's number limit while
// the size is unknown): however many reports arrive, a take never moves
// more than the pointer could have travelled across the window.
//
// A terminal cannot move the pointer back, and stops reporting once it has
// left the window. So while the latest report puts the pointer in the
// outermost column or row, the view keeps turning toward that edge at
// kEdgeRate units per second, in fractions of the injected clock, however
// often it is polled.
#pragma once

#include <cstdint>

#include "platform/input/input_parser.h"

constexpr int64_t kEdgeRate = 40;  // units (cells, or pixels) per second

struct WindowSize {
  int32_t cols = 0;
  int32_t rows = 0;
  int32_t xpixel = 0;  // 0 where the terminal does not tell
  int32_t ypixel = 0;
};

struct PointerTracker {
  bool pixels = false;  // reports are in pixels (mode 1016)
  WindowSize window;
  bool haveBase = false;
  int32_t baseX = 0;
  int32_t baseY = 0;
  int32_t lastX = 0;
  int32_t lastY = 0;
  int32_t edgeX = 0;  // -1, 0, 1: resting on the left/right edge
  int32_t edgeY = 0;
  int64_t edgeClock = 0;
  int64_t edgeCarry = 0;  // unit-microseconds short of a whole unit
  int64_t owedDx = 0;     // motion not yet taken: edge turning, and motion
  int64_t owedDy = 0;     // made before a baseline was cleared
};

// Whole units of turning at kEdgeRate over `elapsed` microseconds (at most
// ten seconds' worth: one stalled frame must not swing the view without
// end); `carry` keeps the fraction for the next call.
int64_t turnUnits(int64_t& carry, int64_t elapsed);

// True for the reports that can move the view (they need the window size).
bool pointerIsMotion(const InputEvent& event);

// The largest |dx| and |dy| one take can give.
int32_t pointerLimitX(const PointerTracker& pointer);
int32_t pointerLimitY(const PointerTracker& pointer);

// A mouse report read at `now`.
void pointerReport(PointerTracker& pointer, const InputEvent& event, int64_t now);

// Runs edge turning up to `now`; call before the reports of a batch.
void pointerAdvance(PointerTracker& pointer, int64_t now);

// Motion since the previous take.
void pointerTake(PointerTracker& pointer, int32_t& dx, int32_t& dy);

// Clears the baseline (motion made so far still counts) and stops edge
// turning.
void pointerDropBaseline(PointerTracker& pointer);

// Clears the baseline and drops motion not yet taken (pin, resume).
void pointerReset(PointerTracker& pointer);
