#include "platform/input/x11/input_x11_pointer.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kFocusRecheckMicros = 20000;
constexpr int kLongestAncestry = 64;
constexpr int kFallbackAnchor = 100;

xcb_connection_t* connection = nullptr;
xcb_window_t rootWindow = 0;
xcb_window_t terminalWindow = 0;  // 0: no focus test
int anchorX = kFallbackAnchor;
int anchorY = kFallbackAnchor;
bool anchored = false;  // false: the next answer re-anchors without counting

// One question of each kind is out at a time; 0: none.
unsigned int pointerAsked = 0;
bool pointerStale = false;  // asked before an absolute warp: its answer is void
unsigned int focusAsked = 0;
int64_t focusAskedAt = 0;
bool focused = false;
xcb_window_t cachedFocus = 0;
bool cachedVerdict = false;

// The answer to `request` if it has arrived: 1 with *reply set (null on a
// protocol error, a stale WINDOWID), 0 while it is still on its way.
template <typename Reply> int answer(unsigned int request, Reply** reply) {
  void* data = nullptr;
  xcb_generic_error_t* error = nullptr;
  if (xcb_poll_for_reply(connection, request, &data, &error) == 0) return 0;
  std::free(error);
  *reply = static_cast<Reply*>(data);
  return 1;
}

// Errors for requests without replies land in the event queue.
void dropEvents() {
  for (xcb_generic_event_t* event; (event = xcb_poll_for_event(connection)) != nullptr;) std::free(event);
}

// Waits: only when the focus moves to another window or an anchor is placed.
xcb_window_t parentOf(xcb_window_t window) {
  xcb_query_tree_reply_t* tree =
      xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
  if (tree == nullptr) return 0;
  xcb_window_t parent = tree->parent;
  std::free(tree);
  return parent;
}

bool ancestorOf(xcb_window_t ancestor, xcb_window_t window) {
  for (int i = 0; i < kLongestAncestry && window != 0 && window != rootWindow; i++) {
    window = parentOf(window);
    if (window == ancestor) return true;
  }
  return false;
}

bool holdsFocus(xcb_window_t focus) {
  if (focus == XCB_INPUT_FOCUS_POINTER_ROOT)
    return true;  // focus follows the pointer, which stays pinned inside
  if (focus == XCB_NONE) return false;
  if (focus != cachedFocus) {
    cachedFocus = focus;
    cachedVerdict =
        focus == terminalWindow || ancestorOf(focus, terminalWindow) || ancestorOf(terminalWindow, focus);
  }
  return cachedVerdict;
}

// The parent of process `pid` from /proc, 0 when it cannot be read. The
// command name may hold spaces and parentheses: the fields after it start
// after its last ')'.
long parentProcess(long pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
  FILE* file = std::fopen(path, "r");
  if (file == nullptr) return 0;
  char line[1024];
  size_t length = std::fread(line, 1, sizeof line - 1, file);
  std::fclose(file);
  line[length] = '\0';
  const char* end = std::strrchr(line, ')');
  long parent = 0;
  if (end == nullptr || std::sscanf(end + 1, " %*c %ld", &parent) != 1) return 0;
  return parent;
}

bool isAncestor(long pid) {
  for (long p = getpid(); p > 0 && p != 1; p = parentProcess(p))
    if (p == pid) return true;
  return false;
}

// _NET_WM_PID of `window` or of the nearest window above it that has one
// (the terminal's top-level; the window manager's frame above it is never
// reached), 0 when none says.
long windowProcess(xcb_window_t window) {
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, 11, "_NET_WM_PID"), nullptr);
  if (atom == nullptr) return 0;
  xcb_atom_t name = atom->atom;
  std::free(atom);
  if (name == XCB_NONE) return 0;
  for (int i = 0; i < kLongestAncestry && window != 0 && window != rootWindow; i++) {
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    long pid = 0;
    if (property != nullptr && property->format == 32 && xcb_get_property_value_length(property) == 4)
      pid = *static_cast<const uint32_t*>(xcb_get_property_value(property));
    std::free(property);
    if (pid > 0) return pid;
    window = parentOf(window);
  }
  return 0;
}

void askFocus(int64_t now) {
  focusAsked = xcb_get_input_focus(connection).sequence;
  focusAskedAt = now;
  xcb_flush(connection);
}

void placeAnchor() {
  anchorX = kFallbackAnchor;
  anchorY = kFallbackAnchor;
  if (terminalWindow == 0) return;
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, terminalWindow), nullptr);
  if (geometry == nullptr) return;
  xcb_translate_coordinates_reply_t* centre =
      xcb_translate_coordinates_reply(connection,
                                      xcb_translate_coordinates(connection, terminalWindow, rootWindow,
                                                                static_cast<int16_t>(geometry->width / 2),
                                                                static_cast<int16_t>(geometry->height / 2)),
                                      nullptr);
  std::free(geometry);
  if (centre == nullptr) return;
  anchorX = centre->dst_x;
  anchorY = centre->dst_y;
  std::free(centre);
}

void warpToAnchor() {
  xcb_warp_pointer(connection, XCB_NONE, rootWindow, 0, 0, 0, 0, static_cast<int16_t>(anchorX),
                   static_cast<int16_t>(anchorY));
  pointerStale = pointerAsked != 0;
  anchored = true;
}

// Motion is the answer's distance from the anchor. The warp back is
// relative, so motion made after the question was answered survives it and
// shows in the next answer: every pixel is counted once.
void takePointer(const xcb_query_pointer_reply_t* where, InputState& state) {
  if (!where->same_screen) {
    anchored = false;  // on another screen
    return;
  }
  if (!anchored) {
    placeAnchor();
    warpToAnchor();
    return;
  }
  int dx = where->root_x - anchorX;
  int dy = where->root_y - anchorY;
  if (dx == 0 && dy == 0) return;
  state.dx += dx;
  state.dy += dy;
  xcb_warp_pointer(connection, XCB_NONE, XCB_NONE, 0, 0, 0, 0, static_cast<int16_t>(-dx),
                   static_cast<int16_t>(-dy));
}

}  // namespace

bool x11PointerOpen(unsigned long windowId) {
  connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    connection = nullptr;
    return false;
  }
  rootWindow = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  terminalWindow = static_cast<xcb_window_t>(windowId);
  // A WINDOWID inherited from a program that started this terminal (an
  // xterm that ran gnome-terminal, say) names a window whose focus is not
  // the game's: the process that owns the window must be one of ours.
  long owner = terminalWindow != 0 ? windowProcess(terminalWindow) : 0;
  if (owner != 0 && !isAncestor(owner)) {
    x11PointerClose();
    return false;
  }
  pointerAsked = 0;
  x11PointerForget();
  return true;
}

bool x11Focused(int64_t now) {
  if (connection == nullptr || terminalWindow == 0) return true;
  if (focusAsked == 0 && now - focusAskedAt >= kFocusRecheckMicros) askFocus(now);
  xcb_get_input_focus_reply_t* reply = nullptr;
  if (focusAsked != 0 && answer(focusAsked, &reply)) {
    focusAsked = 0;
    if (reply != nullptr) focused = holdsFocus(reply->focus);
    std::free(reply);
  }
  return focused;
}

void x11PointerRead(InputState& state, bool focusedNow) {
  if (connection == nullptr) return;
  dropEvents();
  xcb_query_pointer_reply_t* where = nullptr;
  if (pointerAsked != 0 && answer(pointerAsked, &where)) {
    pointerAsked = 0;
    if (where != nullptr && !pointerStale && focusedNow) takePointer(where, state);
    pointerStale = false;
    std::free(where);
  }
  if (!focusedNow) {
    anchored = false;  // on focus regained, the jump is not motion
    return;
  }
  if (pointerAsked == 0) {
    pointerAsked = xcb_query_pointer(connection, rootWindow).sequence;
    xcb_flush(connection);
  }
}

void x11PointerPin() {
  if (connection == nullptr || x11PointerLost()) return;
  placeAnchor();
  warpToAnchor();
  xcb_flush(connection);
}

void x11PointerForget() {
  anchored = false;
  pointerStale = pointerAsked != 0;
  if (focusAsked != 0) xcb_discard_reply(connection, focusAsked);
  focusAsked = 0;
  focusAskedAt = 0;
  focused = false;
  cachedFocus = 0;
  if (connection != nullptr && terminalWindow != 0) {
    // The first verdict is waited for, so the first frames read the keys.
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    if (reply != nullptr) focused = holdsFocus(reply->focus);
    std::free(reply);
  }
}

bool x11PointerLost() { return connection != nullptr && xcb_connection_has_error(connection) != 0; }

void x11PointerClose() {
  if (connection != nullptr) xcb_disconnect(connection);
  connection = nullptr;
}
