#include "platform/input/input_pointer.h"

namespace {

constexpr int32_t kMotionBit = 32;
constexpr int32_t kNoButton = 3;
constexpr int32_t kWheelBit = 64;
constexpr int32_t kLeaveCode = 256;
constexpr int64_t kMicrosPerSecond = 1000000;
constexpr int64_t kLongestEdgeStep = 10 * kMicrosPerSecond;

// -1 on the first cell, 1 on the last, 0 elsewhere or when unknown.
int32_t edgeOf(int32_t pos, int32_t cells, int32_t pixels, bool inPixels) {
  if (cells <= 0) return 0;
  if (!inPixels) return pos <= 1 ? -1 : (pos >= cells ? 1 : 0);
  if (pixels < cells) return 0;
  int32_t cell = pixels / cells;
  return pos <= cell ? -1 : (pos > pixels - cell ? 1 : 0);
}

int32_t clampPosition(int32_t pos, int32_t limit) { return pos < 1 ? 1 : (pos > limit ? limit : pos); }

int64_t clampMotion(int64_t v, int32_t limit) { return v < -limit ? -limit : (v > limit ? limit : v); }

void setEdge(PointerTracker& pointer, int32_t ex, int32_t ey, int64_t now) {
  if (ex == pointer.edgeX && ey == pointer.edgeY) return;
  pointer.edgeX = ex;
  pointer.edgeY = ey;
  pointer.edgeClock = now;
  pointer.edgeCarry = 0;
}

}  // namespace

// rxvt-unicode sends any-motion reports without the motion bit, so "no
// button held" counts as motion too.
bool pointerIsMotion(const InputEvent& event) {
  if (event.kind != InputEventKind::mouse || event.release) return false;
  if (event.a < 0 || event.a >= kLeaveCode || (event.a & kWheelBit) != 0) return false;
  return (event.a & kMotionBit) != 0 || (event.a & kNoButton) == kNoButton;
}

int32_t pointerLimitX(const PointerTracker& pointer) {
  int32_t units = pointer.pixels ? pointer.window.xpixel : pointer.window.cols;
  return units > 0 ? units : kParamLimit;
}

int32_t pointerLimitY(const PointerTracker& pointer) {
  int32_t units = pointer.pixels ? pointer.window.ypixel : pointer.window.rows;
  return units > 0 ? units : kParamLimit;
}

void pointerReport(PointerTracker& pointer, const InputEvent& event, int64_t now) {
  if (event.a >= kLeaveCode) {
    pointerDropBaseline(pointer);
    return;
  }
  if (!pointerIsMotion(event)) return;
  int32_t x = clampPosition(event.b, pointerLimitX(pointer));
  int32_t y = clampPosition(event.c, pointerLimitY(pointer));
  if (!pointer.haveBase) {
    pointer.haveBase = true;
    pointer.baseX = x;
    pointer.baseY = y;
  }
  pointer.lastX = x;
  pointer.lastY = y;
  const WindowSize& w = pointer.window;
  setEdge(pointer, edgeOf(x, w.cols, w.xpixel, pointer.pixels), edgeOf(y, w.rows, w.ypixel, pointer.pixels),
          now);
}

int64_t turnUnits(int64_t& carry, int64_t elapsed) {
  if (elapsed <= 0) return 0;
  if (elapsed > kLongestEdgeStep) elapsed = kLongestEdgeStep;
  carry += kEdgeRate * elapsed;
  int64_t units = carry / kMicrosPerSecond;
  carry -= units * kMicrosPerSecond;
  return units;
}

void pointerAdvance(PointerTracker& pointer, int64_t now) {
  int64_t elapsed = now - pointer.edgeClock;
  pointer.edgeClock = now;
  if ((pointer.edgeX == 0 && pointer.edgeY == 0) || elapsed <= 0) return;
  int64_t units = turnUnits(pointer.edgeCarry, elapsed);
  pointer.owedDx = clampMotion(pointer.owedDx + units * pointer.edgeX, pointerLimitX(pointer));
  pointer.owedDy = clampMotion(pointer.owedDy + units * pointer.edgeY, pointerLimitY(pointer));
}

void pointerTake(PointerTracker& pointer, int32_t& dx, int32_t& dy) {
  int64_t x = pointer.owedDx;
  int64_t y = pointer.owedDy;
  pointer.owedDx = 0;
  pointer.owedDy = 0;
  if (pointer.haveBase) {
    x += pointer.lastX - pointer.baseX;
    y += pointer.lastY - pointer.baseY;
    pointer.baseX = pointer.lastX;
    pointer.baseY = pointer.lastY;
  }
  dx = static_cast<int32_t>(clampMotion(x, pointerLimitX(pointer)));
  dy = static_cast<int32_t>(clampMotion(y, pointerLimitY(pointer)));
}

void pointerDropBaseline(PointerTracker& pointer) {
  if (pointer.haveBase) {
    pointer.owedDx = clampMotion(pointer.owedDx + (pointer.lastX - pointer.baseX), pointerLimitX(pointer));
    pointer.owedDy = clampMotion(pointer.owedDy + (pointer.lastY - pointer.baseY), pointerLimitY(pointer));
  }
  pointer.haveBase = false;
  pointer.edgeX = 0;
  pointer.edgeY = 0;
  pointer.edgeCarry = 0;
}

void pointerReset(PointerTracker& pointer) {
  pointerDropBaseline(pointer);
  pointer.owedDx = 0;
  pointer.owedDy = 0;
}
