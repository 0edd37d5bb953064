#include "x11_scene.h"

#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/loop/frame.h"
#include "platform/input/input.h"

#ifdef SERIFALL_HAVE_X11
#include <xcb/xcb.h>
#endif

namespace {

int master = -1;
int slave = -1;
void (*scenePoll)(InputState&) = nullptr;

// W held as the scene asks, whatever the input layer read: the frames then
// draw the same in both runs, and only the reading differs.
void pollBoth(InputState& state) {
  InputState scripted;
  scenePoll(scripted);
  inputPoll(state);
  state.w = state.w || scripted.w;
  state.space = state.space || scripted.space;
  state.dx += scripted.dx;
  state.dy += scripted.dy;
}

#ifdef SERIFALL_HAVE_X11
// A focused window stands for the terminal's, so the backend does its
// focus test as in a real terminal.
xcb_connection_t* windowConnection = nullptr;

void showWindow() {
  windowConnection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(windowConnection)) return;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(windowConnection)).data;
  xcb_window_t window = xcb_generate_id(windowConnection);
  xcb_create_window(windowConnection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 640, 400, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
  xcb_map_window(windowConnection, window);
  xcb_set_input_focus(windowConnection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  free(xcb_get_input_focus_reply(windowConnection, xcb_get_input_focus(windowConnection), nullptr));
  setenv("WINDOWID", std::to_string(window).c_str(), 1);
}

void hideWindow() {
  if (windowConnection != nullptr) xcb_disconnect(windowConnection);
  windowConnection = nullptr;
  unsetenv("WINDOWID");
}
#else
void showWindow() {}
void hideWindow() {}
#endif

bool start(const char* backend) {
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return false;
  setenv("SERIFALL_INPUT", backend, 1);
  inputOpen(slave, slave);
  unsetenv("SERIFALL_INPUT");
  scenePoll = framePoll;
  framePoll = pollBoth;
  return std::strncmp(inputBackendName(), backend, std::strlen(backend)) == 0;
}

void stop() {
  framePoll = scenePoll;
  inputClose();
  close(slave);
  close(master);
}

}  // namespace

void benchInputBackends(SceneRate (*run)(), int rounds) {
  std::printf("\n%-22s %9s %11s\n", "input layer (W held)", "frames/s", "pictures/s");
  if (std::getenv("DISPLAY") == nullptr) {
    std::printf("skipped: no DISPLAY (run it under Xvfb or on a desktop)\n");
    return;
  }
  showWindow();
  const char* backends[] = {"terminal", "x11"};
  SceneRate sum[2] = {};
  for (int round = 0; round < rounds; round++) {
    for (int b = 0; b < 2; b++) {
      if (!start(backends[b])) {
        std::printf("%-22s did not open\n", backends[b]);
        stop();
        hideWindow();
        return;
      }
      SceneRate r = run();
      stop();
      sum[b].framesPerSecond += r.framesPerSecond;
      sum[b].picturesPerSecond += r.picturesPerSecond;
      std::printf("%-22s %9.0f %11.1f\n", backends[b], r.framesPerSecond, r.picturesPerSecond);
      std::fflush(stdout);
    }
  }
  hideWindow();
  std::printf("%-22s %9.2f %11.2f\n", "x11 / terminal", sum[1].framesPerSecond / sum[0].framesPerSecond,
              sum[1].picturesPerSecond / sum[0].picturesPerSecond);
}
