#include "platform/input_pointer.h"

namespace {

constexpr int32_t kMotionBit = 32;
constexpr int32_t kWheelBit = 64;
constexpr int32_t kLeaveCode = 256;
constexpr int64_t kMicrosPerSecond = 1000000;
// One stalled frame must not swing the view without end.
constexpr int64_t kLongestEdgeStep = 10 * kMicrosPerSecond;

// -1 on the first cell, 1 on the last, 0 elsewhere or when unknown.
int32_t edgeOf(int32_t pos, int32_t cells, int32_t pixels, bool inPixels) {
  if (cells <= 0) return 0;
  if (!inPixels) return pos <= 1 ? -1 : (pos >= cells ? 1 : 0);
  if (pixels < cells) return 0;
  int32_t cell = pixels / cells;
  return pos <= cell ? -1 : (pos > pixels - cell ? 1 : 0);
}

void setEdge(PointerTracker& pointer, int32_t ex, int32_t ey, int64_t now) {
  if (ex == pointer.edgeX && ey == pointer.edgeY) return;
  pointer.edgeX = ex;
  pointer.edgeY = ey;
  pointer.edgeClock = now;
  pointer.edgeCarry = 0;
}

}  // namespace

bool pointerIsMotion(const InputEvent& event) {
  return event.kind == InputEventKind::mouse && event.a < kLeaveCode && (event.a & kMotionBit) != 0 &&
         (event.a & kWheelBit) == 0;
}

void pointerReport(PointerTracker& pointer, const InputEvent& event, int64_t now) {
  if (event.a >= kLeaveCode) {
    pointerForget(pointer);
    return;
  }
  if (!pointerIsMotion(event)) return;
  if (!pointer.haveBase) {
    pointer.haveBase = true;
    pointer.baseX = event.b;
    pointer.baseY = event.c;
  }
  pointer.lastX = event.b;
  pointer.lastY = event.c;
  const WindowSize& w = pointer.window;
  setEdge(pointer, edgeOf(event.b, w.cols, w.xpixel, pointer.pixels), edgeOf(event.c, w.rows, w.ypixel, pointer.pixels),
          now);
}

void pointerAdvance(PointerTracker& pointer, int64_t now) {
  int64_t elapsed = now - pointer.edgeClock;
  pointer.edgeClock = now;
  if ((pointer.edgeX == 0 && pointer.edgeY == 0) || elapsed <= 0) return;
  if (elapsed > kLongestEdgeStep) elapsed = kLongestEdgeStep;
  pointer.edgeCarry += kEdgeRate * elapsed;
  int64_t units = pointer.edgeCarry / kMicrosPerSecond;
  pointer.edgeCarry -= units * kMicrosPerSecond;
  pointer.owedDx += static_cast<int32_t>(units) * pointer.edgeX;
  pointer.owedDy += static_cast<int32_t>(units) * pointer.edgeY;
}

void pointerTake(PointerTracker& pointer, int32_t& dx, int32_t& dy) {
  dx = pointer.owedDx;
  dy = pointer.owedDy;
  pointer.owedDx = 0;
  pointer.owedDy = 0;
  if (!pointer.haveBase) return;
  dx += pointer.lastX - pointer.baseX;
  dy += pointer.lastY - pointer.baseY;
  pointer.baseX = pointer.lastX;
  pointer.baseY = pointer.lastY;
}

void pointerForget(PointerTracker& pointer) {
  if (pointer.haveBase) {
    pointer.owedDx += pointer.lastX - pointer.baseX;
    pointer.owedDy += pointer.lastY - pointer.baseY;
  }
  pointer.haveBase = false;
  pointer.edgeX = 0;
  pointer.edgeY = 0;
  pointer.edgeCarry = 0;
}

void pointerReset(PointerTracker& pointer) {
  pointerForget(pointer);
  pointer.owedDx = 0;
  pointer.owedDy = 0;
}
