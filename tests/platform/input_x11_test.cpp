// The X11 backend against a private Xvfb server; skipped where there is no
// Xvfb (or the build has no X11).
#include <gtest/gtest.h>

#ifdef SERIFALL_HAVE_X11

#include <X11/Xlib.h>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/input_x11.h"

namespace {

const char* const kXvfb = "/usr/bin/Xvfb";

// Starts Xvfb on a display number it picks itself (tests may run in
// parallel); returns ":N", or "" when it did not come up.
std::string startServer(pid_t& server) {
  int ready[2];
  if (pipe(ready) != 0) return "";
  server = fork();
  if (server == 0) {
    close(ready[0]);
    std::string fd = std::to_string(ready[1]);
    execl(kXvfb, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ready[1]);
  std::string number;
  char c = 0;
  while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  close(ready[0]);
  return number.empty() ? "" : ":" + number;
}

class X11Backend : public testing::Test {
 protected:
  pid_t server = -1;
  Display* display = nullptr;
  Window ours = 0;
  Window other = 0;
  std::string savedDisplay;
  bool hadDisplay = false;

  void SetUp() override {
    const char* value = std::getenv("DISPLAY");
    hadDisplay = value != nullptr;
    if (hadDisplay) savedDisplay = value;
    if (access(kXvfb, X_OK) != 0) GTEST_SKIP() << "no Xvfb";
    std::string name = startServer(server);
    if (!name.empty()) display = XOpenDisplay(name.c_str());
    if (display == nullptr) GTEST_SKIP() << "Xvfb did not start";
    setenv("DISPLAY", name.c_str(), 1);
    Window root = DefaultRootWindow(display);
    ours = XCreateSimpleWindow(display, root, 50, 40, 200, 100, 0, 0, 0);
    other = XCreateSimpleWindow(display, root, 400, 300, 100, 100, 0, 0, 0);
    XMapWindow(display, ours);
    XMapWindow(display, other);
    XSync(display, False);
    focus(ours);
  }

  void TearDown() override {
    x11Close();
    if (display != nullptr) XCloseDisplay(display);
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
    if (hadDisplay) setenv("DISPLAY", savedDisplay.c_str(), 1);
    else unsetenv("DISPLAY");
  }

  void focus(Window window) {
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
  }

  void movePointerBy(int dx, int dy) {
    XWarpPointer(display, None, None, 0, 0, 0, 0, dx, dy);
    XSync(display, False);
  }

  // Where the pointer is once it stops moving: the backend's warp travels
  // on its own connection and may land a little after our query.
  void pointerAt(int& x, int& y) {
    Window root = 0, child = 0;
    int wx = 0, wy = 0;
    unsigned int mask = 0;
    int lastX = -1, lastY = -1;
    for (int i = 0; i < 20; i++) {
      XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &mask);
      if (x == lastX && y == lastY) return;
      lastX = x;
      lastY = y;
      usleep(10000);
    }
  }

  InputState read(int64_t ms) {
    InputState state;
    x11Read(state, ms * 1000);
    return state;
  }
};

}  // namespace

TEST_F(X11Backend, PointerPinnedWhileFocused) {
  ASSERT_TRUE(x11Open(ours));
  InputState first = read(0);  // anchors at the window's centre, counts nothing
  EXPECT_EQ(first.dx, 0);
  int x = 0, y = 0;
  pointerAt(x, y);
  EXPECT_EQ(x, 150);
  EXPECT_EQ(y, 90);

  movePointerBy(7, -3);
  InputState moved = read(1);
  EXPECT_EQ(moved.dx, 7);
  EXPECT_EQ(moved.dy, -3);
  pointerAt(x, y);
  EXPECT_EQ(x, 150);
  EXPECT_EQ(y, 90);

  // Another window has the focus: nothing counted, the pointer left alone.
  focus(other);
  movePointerBy(20, 20);
  InputState away = read(100);
  EXPECT_EQ(away.dx, 0);
  pointerAt(x, y);
  EXPECT_EQ(x, 170);

  // Back: re-anchored without counting the jump.
  focus(ours);
  EXPECT_EQ(read(200).dx, 0);
  pointerAt(x, y);
  EXPECT_EQ(x, 150);
  movePointerBy(-4, 0);
  EXPECT_EQ(read(201).dx, -4);
}

TEST_F(X11Backend, KeysFromTheKeyMap) {
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "no xdotool";
  ASSERT_TRUE(x11Open(ours));
  ASSERT_EQ(std::system("xdotool keydown w keydown space"), 0);
  InputState down = read(0);
  EXPECT_TRUE(down.w);
  EXPECT_TRUE(down.space);
  EXPECT_FALSE(down.q);
  ASSERT_EQ(std::system("xdotool keyup w keyup space"), 0);
  InputState up = read(1);
  EXPECT_FALSE(up.w || up.space);
}

#endif
