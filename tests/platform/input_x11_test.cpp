// The X11 backend against a private Xvfb server; skipped where there is no
// Xvfb or xdotool (or the build has no X11).
#include <gtest/gtest.h>

#ifdef SERIFALL_HAVE_X11

#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/input.h"
#include "platform/input_x11.h"

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
  InputState readAt(int64_t ms) {
    InputState state;
    x11Read(state, ms * 1000);
    return state;
  }
};

}  // namespace

TEST_F(X11Backend, PointerPinnedAndKeysHeldWhileFocused) {
  Window ours = XCreateSimpleWindow(display, DefaultRootWindow(display), 50, 40, 200, 100, 0, 0, 0);
  XMapWindow(display, ours);
  XSetInputFocus(display, ours, RevertToParent, CurrentTime);
  XSync(display, False);
  ASSERT_TRUE(x11Open(ours));
  EXPECT_EQ(readAt(0).dx, 0);  // anchors at the window's centre, counts nothing
  EXPECT_EQ(readAt(1).dx, 0);  // a round trip on the backend's connection: its warp has landed
  XWarpPointer(display, None, None, 0, 0, 0, 0, 7, -3);  // relative: commutes with the backend's warps back
  XSync(display, False);
  InputState moved = readAt(2);
  EXPECT_EQ(moved.dx, 7);
  EXPECT_EQ(moved.dy, -3);
  XWarpPointer(display, None, None, 0, 0, 0, 0, -4, 0);
  XSync(display, False);
  EXPECT_EQ(readAt(3).dx, -4);  // 3 if it had not been pinned back

  ASSERT_EQ(std::system("xdotool keydown w keydown space"), 0);
  InputState down = readAt(300);
  EXPECT_TRUE(down.w && down.space && !down.q);
  ASSERT_EQ(std::system("xdotool keyup w keyup space"), 0);
  EXPECT_FALSE(readAt(301).w);
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
