#include "platform/input_x11.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

constexpr int64_t kFocusRecheckMicros = 20000;
constexpr int kLongestAncestry = 64;
constexpr int kFallbackAnchor = 100;

Display* display = nullptr;
Window rootWindow = 0;
Window terminalWindow = 0;  // 0: no focus test
KeyCode keyCodes[3] = {};
int anchorX = kFallbackAnchor;
int anchorY = kFallbackAnchor;
bool anchored = false;  // false: the next read re-anchors without counting
bool focused = false;
bool focusKnown = false;
int64_t focusCheckedAt = 0;
Window cachedFocus = 0;
bool cachedVerdict = false;
bool connectionLost = false;

// Protocol errors (a stale WINDOWID) make the call fail instead of ending
// the program.
int ignoreError(Display*, XErrorEvent*) { return 0; }

// The server went away: stop talking to it rather than exit with the
// terminal still in curses mode.
int quietIoError(Display*) { return 0; }
void keepRunning(Display*, void*) { connectionLost = true; }

void readKeyCodes() {
  keyCodes[0] = XKeysymToKeycode(display, XK_w);
  keyCodes[1] = XKeysymToKeycode(display, XK_space);
  keyCodes[2] = XKeysymToKeycode(display, XK_q);
}

Window parentOf(Window window) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return 0;
  if (children != nullptr) XFree(children);
  return parent;
}

bool ancestorOf(Window ancestor, Window window) {
  for (int i = 0; i < kLongestAncestry && window != 0 && window != rootWindow; i++) {
    window = parentOf(window);
    if (window == ancestor) return true;
  }
  return false;
}

bool terminalHasFocus() {
  if (terminalWindow == 0) return true;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus == PointerRoot) return true;  // focus follows the pointer, which stays pinned inside
  if (focus == None) return false;
  if (focus != cachedFocus) {
    cachedFocus = focus;
    cachedVerdict =
        focus == terminalWindow || ancestorOf(focus, terminalWindow) || ancestorOf(terminalWindow, focus);
  }
  return cachedVerdict;
}

void placeAnchor() {
  anchorX = kFallbackAnchor;
  anchorY = kFallbackAnchor;
  XWindowAttributes attributes;
  if (terminalWindow == 0 || XGetWindowAttributes(display, terminalWindow, &attributes) == 0) return;
  Window child = 0;
  int x = 0;
  int y = 0;
  if (XTranslateCoordinates(display, terminalWindow, rootWindow, attributes.width / 2, attributes.height / 2,
                            &x, &y, &child) == 0)
    return;
  anchorX = x;
  anchorY = y;
}

void warpToAnchor() {
  XWarpPointer(display, None, rootWindow, 0, 0, 0, 0, anchorX, anchorY);
  XFlush(display);
  anchored = true;
}

bool keyHeld(const char keys[32], KeyCode code) {
  return code != 0 && (static_cast<unsigned char>(keys[code >> 3]) & (1u << (code & 7))) != 0;
}

void readPointer(InputState& state) {
  Window root = 0;
  Window child = 0;
  int x = 0;
  int y = 0;
  int windowX = 0;
  int windowY = 0;
  unsigned int mask = 0;
  if (XQueryPointer(display, rootWindow, &root, &child, &x, &y, &windowX, &windowY, &mask) == 0) {
    anchored = false;  // on another screen
    return;
  }
  if (!anchored) {
    placeAnchor();
    warpToAnchor();
    return;
  }
  state.dx = x - anchorX;
  state.dy = y - anchorY;
  if (state.dx == 0 && state.dy == 0) return;
  // Relative, so motion made between the query and the warp stays counted.
  XWarpPointer(display, None, None, 0, 0, 0, 0, -state.dx, -state.dy);
  XFlush(display);
}

}  // namespace

bool x11Open(unsigned long windowId) {
  XSetErrorHandler(ignoreError);
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XSetIOErrorHandler(quietIoError);
  XSetIOErrorExitHandler(display, keepRunning, nullptr);
  connectionLost = false;
  rootWindow = DefaultRootWindow(display);
  terminalWindow = static_cast<Window>(windowId);
  readKeyCodes();
  anchored = false;
  focusKnown = false;
  cachedFocus = 0;
  return true;
}

void x11Read(InputState& state, int64_t now) {
  state.w = state.space = state.q = false;
  state.dx = state.dy = 0;
  if (display == nullptr) return;
  if (connectionLost) {
    state.hangup = true;
    return;
  }
  if (!focusKnown || now - focusCheckedAt >= kFocusRecheckMicros) {
    focused = terminalHasFocus();
    focusKnown = true;
    focusCheckedAt = now;
  }
  if (!focused) {
    anchored = false;  // on focus regained, the jump is not motion
    return;
  }
  char keys[32] = {};
  XQueryKeymap(display, keys);
  state.w = keyHeld(keys, keyCodes[0]);
  state.space = keyHeld(keys, keyCodes[1]);
  state.q = keyHeld(keys, keyCodes[2]);
  readPointer(state);
}

void x11Pin() {
  if (display == nullptr || connectionLost) return;
  placeAnchor();
  warpToAnchor();
}

void x11Resume() {
  if (display == nullptr || connectionLost) return;
  readKeyCodes();
  anchored = false;
  focusKnown = false;
  cachedFocus = 0;
}

void x11Close() {
  if (display != nullptr && !connectionLost) XCloseDisplay(display);
  display = nullptr;
}
