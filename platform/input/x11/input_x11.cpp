#include "platform/input/x11/input_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include "platform/input/input_keys.h"
#include "platform/input/x11/input_x11_pointer.h"

namespace {

enum { held = 1, pressed = 2 };  // key flags: down now; went down since the last read

Display* display = nullptr;
int inputOpcode = 0;
KeyCode keyCodes[3] = {};
KeyCode arrowCodes[arrowCount] = {};  // in InputArrow's order
KeyTracker arrowKeys;                 // exact: raw events have releases
unsigned char keyFlags[256] = {};
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
  const KeySym arrows[arrowCount] = {XK_Up, XK_Down, XK_Right, XK_Left};
  for (int a = 0; a < arrowCount; a++) arrowCodes[a] = XKeysymToKeycode(display, arrows[a]);
}

// Raw key events come from the keyboard itself, whichever window has the
// focus, without autorepeat; selected on the root window (XInput 2.1 and
// later) they reach this client while other clients read the same keys.
bool selectRawKeys() {
  int event = 0;
  int error = 0;
  int major = 2;
  int minor = 2;
  if (!XQueryExtension(display, "XInputExtension", &inputOpcode, &event, &error)) return false;
  if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1))
    return false;
  unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(mask, XI_RawKeyPress);
  XISetMask(mask, XI_RawKeyRelease);
  XIEventMask selection = {XIAllMasterDevices, sizeof mask, mask};
  XISelectEvents(display, DefaultRootWindow(display), &selection, 1);
  XSync(display, False);
  return true;
}

void takeEvent(XEvent& event) {
  if (event.type == MappingNotify) {
    XRefreshKeyboardMapping(&event.xmapping);
    readKeyCodes();
    return;
  }
  XGenericEventCookie& cookie = event.xcookie;
  if (cookie.type != GenericEvent || cookie.extension != inputOpcode || !XGetEventData(display, &cookie))
    return;
  const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
  unsigned char& flags = keyFlags[raw->detail & 0xff];
  if (raw->evtype == XI_RawKeyPress) flags = held | pressed;
  else if (raw->evtype == XI_RawKeyRelease) flags &= static_cast<unsigned char>(~held);
  XFreeEventData(display, &cookie);
}

// Reads what has arrived without waiting: XPending reads the connection
// only when the bytes are there.
void drainEvents() {
  while (!connectionLost && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    takeEvent(event);
  }
}

// Down now, or pressed and released since the last read: a tap between two
// frames is still seen once.
bool keyDown(KeyCode code) { return code != 0 && keyFlags[code] != 0; }

// The raw events' presses and releases, read at `now`; a press and release
// between two reads is a tap.
void readArrows(InputState& state, int64_t now) {
  for (int a = 0; a < arrowCount; a++) {
    unsigned char flags = arrowCodes[a] != 0 ? keyFlags[arrowCodes[a]] : 0;
    InputArrow arrow = static_cast<InputArrow>(a);
    if ((flags & pressed) != 0 && !arrowKeys.arrows[a].key.reported)
      keysArrow(arrowKeys, arrow, 1, true, now);
    if ((flags & held) == 0 && arrowKeys.arrows[a].key.reported) keysArrow(arrowKeys, arrow, 3, true, now);
  }
  keysTurn(arrowKeys, now, state.turnX, state.turnY);
}

void clearPresses() {
  for (unsigned char& flags : keyFlags) flags &= static_cast<unsigned char>(~pressed);
}

}  // namespace

bool x11Open(unsigned long windowId) {
  XSetErrorHandler(ignoreError);
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XSetIOErrorHandler(quietIoError);
  XSetIOErrorExitHandler(display, keepRunning, nullptr);
  connectionLost = false;
  if (!selectRawKeys() || !x11PointerOpen(windowId)) {
    XCloseDisplay(display);
    display = nullptr;
    return false;
  }
  readKeyCodes();
  for (unsigned char& flags : keyFlags) flags = 0;
  arrowKeys = KeyTracker{};
  return true;
}

void x11Read(InputState& state, int64_t now) {
  state.w = state.space = state.q = false;
  state.dx = state.dy = 0;
  state.turnX = state.turnY = 0;  // the terminal's arrow bytes are the same keys again
  if (display == nullptr) return;
  drainEvents();
  if (connectionLost || x11PointerLost()) {
    state.hangup = true;
    return;
  }
  bool focused = x11Focused(now);
  x11PointerRead(state, focused);
  if (focused) {
    state.w = keyDown(keyCodes[0]);
    state.space = keyDown(keyCodes[1]);
    state.q = keyDown(keyCodes[2]);
    readArrows(state, now);
  } else {
    keysRelease(arrowKeys);
  }
  clearPresses();
}

void x11Pin() {
  if (display == nullptr || connectionLost) return;
  x11PointerPin();
}

void x11Resume() {
  if (display == nullptr || connectionLost) return;
  drainEvents();
  readKeyCodes();
  // Keys released while suspended were seen (the events kept coming), but
  // the game was not reading: start from what is held now.
  clearPresses();
  keysRelease(arrowKeys);
  x11PointerForget();
}

void x11Close() {
  x11PointerClose();
  if (display != nullptr && !connectionLost) XCloseDisplay(display);
  display = nullptr;
}
