// The X11 backend against a private Xvfb server; skipped where there is no
// Xvfb or xdotool (or the build has no X11).
#include <gtest/gtest.h>

#ifdef SERIFALL_HAVE_X11

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/input/input.h"
#include "platform/input/x11/input_x11.h"

namespace {

class X11Backend : public testing::Test {
protected:
  pid_t server = -1;
  Display* display = nullptr;
  const char* hadDisplay = std::getenv("DISPLAY");
  std::string savedDisplay = hadDisplay != nullptr ? hadDisplay : "";

  void SetUp() override {
    int ready[2];
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xdotool", X_OK) != 0 || pipe(ready) != 0)
      GTEST_SKIP() << "no Xvfb or xdotool";
    server = fork();
    if (server == 0) {  // Xvfb picks a free display number and writes it to `ready`
      close(ready[0]);
      execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-screen", "0",
            "640x480x24", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    std::string name = ":";
    for (char c = 0; read(ready[0], &c, 1) == 1 && c != '\n';) name += c;
    close(ready[0]);
    if (name.size() > 1) display = XOpenDisplay(name.c_str());
    if (display == nullptr) GTEST_SKIP() << "Xvfb did not start";
    setenv("DISPLAY", name.c_str(), 1);
  }
  void TearDown() override {
    x11Close();
    if (display != nullptr) XCloseDisplay(display);
    if (server > 0) kill(server, SIGTERM), waitpid(server, nullptr, 0);
    hadDisplay != nullptr ? setenv("DISPLAY", savedDisplay.c_str(), 1) : unsetenv("DISPLAY");
  }
  int64_t clockMs = 0;
  // Reads every millisecond, as a fast frame loop would, until `done` says
  // so or 2 s have passed (answers and events from a server on a loaded
  // machine come within a scheduling slice or two; 2 s is far beyond that).
  // The motion and turns read on the way are summed into `moved`.
  template <typename Done> InputState readUntil(Done done, InputState& moved) {
    InputState state;
    for (int i = 0; i < 2000; i++) {
      x11Read(state, ++clockMs * 1000);
      moved.dx += state.dx;
      moved.dy += state.dy;
      moved.turnX += state.turnX;
      moved.turnY += state.turnY;
      if (done(state)) break;
      usleep(1000);
    }
    return state;
  }
  template <typename Done> InputState readUntil(Done done) {
    InputState ignored;
    return readUntil(done, ignored);
  }
  InputState readOnce() {
    return readUntil([](const InputState&) { return true; });
  }
  // Reads every millisecond for `ms`; how many reads had W down.
  int readFor(int ms, InputState& moved) {
    int wDown = 0;
    for (int i = 0; i < ms; i++, usleep(1000))
      wDown += readUntil([](const InputState&) { return true; }, moved).w;
    return wDown;
  }
  bool pointerAt(int x, int y) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                  &mask);
    return rootX == x && rootY == y;
  }
  Window focusedWindow(int x, int y) {
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, 200, 100, 0, 0, 0);
    XMapWindow(display, window);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    return window;
  }
};

}  // namespace

// Motion made while the backend's questions are still out is counted
// exactly once, and the pointer ends back at the window's centre.
TEST_F(X11Backend, PointerMotionCountedOnceAndPinned) {
  ASSERT_TRUE(x11Open(focusedWindow(50, 40)));
  const int centreX = 50 + 100, centreY = 40 + 50;
  InputState moved;
  readUntil([&](const InputState&) { return pointerAt(centreX, centreY); }, moved);
  ASSERT_TRUE(pointerAt(centreX, centreY));
  EXPECT_EQ(moved.dx, 0);  // anchoring is not motion
  // Relative warps commute with the backend's relative warps back, so the
  // total is known whatever order the server takes them in.
  const int steps[][2] = {{7, -3}, {-4, 0}, {0, 9}, {12, 12}, {-1, -1}};
  moved = InputState{};
  for (const auto& step : steps) {
    XWarpPointer(display, None, None, 0, 0, 0, 0, step[0], step[1]);
    XSync(display, False);
    readFor(1, moved);
  }
  readUntil(
      [&](const InputState&) { return moved.dx == 14 && moved.dy == 17 && pointerAt(centreX, centreY); },
      moved);
  readFor(50, moved);  // nothing more comes
  EXPECT_EQ(moved.dx, 14);
  EXPECT_EQ(moved.dy, 17);
  EXPECT_TRUE(pointerAt(centreX, centreY));
}

// Keys come as events: a hold reads down on every read until its release,
// a tap made between two reads reads down once, and a key held while
// another window has the focus reads up until the focus comes back.
TEST_F(X11Backend, KeysHeldTappedAndFocusGated) {
  Window ours = focusedWindow(50, 40);
  ASSERT_TRUE(x11Open(ours));
  ASSERT_EQ(std::system("xdotool keydown w keydown space"), 0);
  InputState down = readUntil([](const InputState& s) { return s.w; });
  EXPECT_TRUE(down.w && down.space && !down.q);
  for (int i = 0; i < 5; i++) EXPECT_TRUE(readOnce().w);
  ASSERT_EQ(std::system("xdotool keyup w keyup space"), 0);
  EXPECT_FALSE(readUntil([](const InputState& s) { return !s.w; }).w);

  ASSERT_EQ(std::system("xdotool key q"), 0);
  EXPECT_TRUE(readUntil([](const InputState& s) { return s.q; }).q);
  EXPECT_FALSE(readOnce().q);

  focusedWindow(300, 300);
  ASSERT_EQ(std::system("xdotool keydown w"), 0);
  EXPECT_FALSE(readUntil([](const InputState& s) { return !s.w; }).w);
  InputState moved;
  EXPECT_EQ(readFor(50, moved), 0);  // 50 ms span two focus answers at least
  XSetInputFocus(display, ours, RevertToParent, CurrentTime);
  XSync(display, False);
  EXPECT_TRUE(readUntil([](const InputState& s) { return s.w; }).w);
  ASSERT_EQ(std::system("xdotool keyup w"), 0);
}

// An arrow tapped turns one cell, however long after it is read; held, it
// turns on until its release. Events arrive in order, so a Q read after
// the release means the release was read too.
TEST_F(X11Backend, ArrowsTapOneCellAndTurnWhileHeld) {
  ASSERT_TRUE(x11Open(focusedWindow(50, 40)));
  InputState turned;
  ASSERT_EQ(std::system("xdotool key Right"), 0);
  readUntil([](const InputState& s) { return s.turnX != 0; }, turned);
  readFor(400, turned);  // past the time that makes a hold
  EXPECT_EQ(turned.turnX, 1);
  EXPECT_EQ(turned.turnY, 0);
  turned = InputState{};
  ASSERT_EQ(std::system("xdotool keydown Up"), 0);
  readUntil([&](const InputState&) { return turned.turnY <= -5; }, turned);
  EXPECT_LE(turned.turnY, -5);
  ASSERT_EQ(std::system("xdotool keyup Up key q"), 0);
  EXPECT_TRUE(readUntil([](const InputState& s) { return s.q; }).q);
  turned = InputState{};
  readFor(400, turned);
  EXPECT_EQ(turned.turnY, 0);
  EXPECT_EQ(turned.turnX, 0);
}

// A WINDOWID inherited from the terminal that started this one names a
// window another process owns: refused, also when the owner is told on the
// window above it. The window of this process or an ancestor, or one that
// names no owner, is taken.
TEST_F(X11Backend, WindowOfAnotherProgramIsRefused) {
  pid_t other = fork();
  if (other == 0) {
    pause();
    _exit(0);
  }
  const Atom owned = XInternAtom(display, "_NET_WM_PID", False);
  const std::vector<std::pair<long, bool>> cases = {
      {getppid(), true}, {getpid(), true}, {other, false}, {0, true}};
  for (bool inner : {false, true}) {
    for (auto [owner, taken] : cases) {
      Window window = focusedWindow(50, 40);
      if (owner != 0)
        XChangeProperty(display, window, owned, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&owner), 1);
      if (inner) window = XCreateSimpleWindow(display, window, 0, 0, 10, 10, 0, 0, 0);
      XSync(display, False);
      EXPECT_EQ(x11Open(window), taken) << owner << (inner ? " above" : "");
      x11Close();
    }
  }
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
}

// A tap pressed and released between two polls is gone from the keymap;
// the byte the terminal got for it makes it read down in the next poll.
TEST_F(X11Backend, TapBetweenPollsReadsDownOnce) {
  int in[2];
  ASSERT_EQ(pipe(in), 0);
  setenv("SERIFALL_INPUT", "x11", 1);
  inputOpen(in[0], -1);
  ASSERT_STREQ(inputBackendName(), "x11");
  ASSERT_EQ(write(in[1], "q", 1), 1);
  InputState state;
  inputPoll(state);
  EXPECT_TRUE(state.q);
  inputPoll(state);
  EXPECT_FALSE(state.q);
  inputClose();
  unsetenv("SERIFALL_INPUT");
  close(in[0]);
  close(in[1]);
}

#endif
