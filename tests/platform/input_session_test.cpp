// The public functions over pipes: what reaches the terminal, and what comes
// back from it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/input.h"

namespace {

const std::string kProbe = "\x1b[?u\x1b[?1016$p\x1b[c";
const std::string kModesOff = "\x1b[?1004l\x1b[?1016l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";
const std::string kPop = "\x1b[<u";

void keepEnv(const char* name, std::string& saved, bool& had) {
  const char* value = std::getenv(name);
  had = value != nullptr;
  saved = had ? value : "";
}

void restoreEnv(const char* name, const std::string& saved, bool had) {
  if (had) setenv(name, saved.c_str(), 1);
  else unsetenv(name);
}

volatile sig_atomic_t signalsSeen = 0;
void countSignal(int) { signalsSeen = signalsSeen + 1; }

class InputSession : public testing::Test {
 protected:
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  std::string savedMode, savedDisplay;
  bool hadMode = false, hadDisplay = false;

  void SetUp() override {
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    keepEnv("SERIFALL_INPUT", savedMode, hadMode);
    keepEnv("DISPLAY", savedDisplay, hadDisplay);
    setenv("SERIFALL_INPUT", "terminal", 1);
  }

  void TearDown() override {
    inputClose();
    for (int fd : {in[0], in[1], out[0], out[1]})
      if (fd >= 0) close(fd);
    restoreEnv("SERIFALL_INPUT", savedMode, hadMode);
    restoreEnv("DISPLAY", savedDisplay, hadDisplay);
  }

  void type(const std::string& bytes) { ASSERT_EQ(write(in[1], bytes.data(), bytes.size()), ssize_t(bytes.size())); }

  void hangUp() {
    close(in[1]);
    in[1] = -1;
  }

  std::string written() {
    std::string text;
    char buffer[512];
    pollfd fd{out[0], POLLIN, 0};
    while (::poll(&fd, 1, 0) > 0) {
      ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<size_t>(n));
    }
    return text;
  }

  std::string restoreBytes() {
    size_t length = 0;
    const char* bytes = inputRestoreBytes(&length);
    return std::string(bytes, length);
  }

  InputState poll() {
    InputState state;
    inputPoll(state);
    return state;
  }
};

}  // namespace

TEST_F(InputSession, KittyTerminalModesOnAndOff) {
  type("\x1b[?11u\x1b[?1016;1$y\x1b[?62c");
  inputOpen(in[0], out[1]);
  EXPECT_STREQ(inputBackendName(), "terminal (kitty keys, pixel pointer)");
  EXPECT_EQ(written(), kProbe + "\x1b[?1003h\x1b[?1006h\x1b[?1016h\x1b[?1004h\x1b[>11u");
  EXPECT_EQ(restoreBytes(), kModesOff + kPop);

  type("\x1b[119u");
  EXPECT_TRUE(poll().w);

  inputPause();
  EXPECT_EQ(written(), kModesOff + kPop);
  EXPECT_EQ(restoreBytes(), "");
  inputResume();
  EXPECT_EQ(written(), "\x1b[?1003h\x1b[?1006h\x1b[?1016h\x1b[?1004h\x1b[>11u");
  EXPECT_FALSE(poll().w);  // resuming released it

  inputClose();
  EXPECT_EQ(written(), kModesOff + kPop);
  EXPECT_EQ(restoreBytes(), "");
  EXPECT_STREQ(inputBackendName(), "none");
}

TEST_F(InputSession, TimedKeysWaitAndHangup) {
  type("\x1b[?1;2cx");  // a key typed right behind the reply
  inputOpen(in[0], out[1]);
  EXPECT_STREQ(inputBackendName(), "terminal (timed keys, cell pointer)");
  EXPECT_EQ(written(), kProbe + "\x1b[?1003h\x1b[?1006h\x1b[?1004h");
  EXPECT_EQ(restoreBytes(), kModesOff);

  EXPECT_TRUE(inputWaitKey());
  type(" ");
  EXPECT_TRUE(inputWaitKey());
  EXPECT_FALSE(poll().space);  // the key that ended the wait is forgotten
  type(" ");
  EXPECT_TRUE(poll().space);

  hangUp();
  EXPECT_TRUE(poll().hangup);
  EXPECT_TRUE(poll().hangup);
  EXPECT_FALSE(inputWaitKey());
}

TEST_F(InputSession, SignalsEndTheWaitButResizesDoNot) {
  type("\x1b[?1;2c");
  inputOpen(in[0], out[1]);
  struct sigaction action {}, oldUsr1{}, oldWinch{};
  action.sa_handler = countSignal;
  sigaction(SIGUSR1, &action, &oldUsr1);
  sigaction(SIGWINCH, &action, &oldWinch);
  signalsSeen = 0;

  pthread_t waiter = pthread_self();
  std::thread resize([&] {
    usleep(50000);
    pthread_kill(waiter, SIGWINCH);
    usleep(50000);
    type("k");
  });
  EXPECT_TRUE(inputWaitKey());  // the resize waited; the key ended it
  resize.join();
  EXPECT_EQ(signalsSeen, 1);

  std::thread interrupt([&] {
    usleep(50000);
    pthread_kill(waiter, SIGUSR1);
  });
  EXPECT_FALSE(inputWaitKey());
  interrupt.join();

  sigaction(SIGUSR1, &oldUsr1, nullptr);
  sigaction(SIGWINCH, &oldWinch, nullptr);
}

TEST_F(InputSession, ForcedX11WithoutADisplayFallsBack) {
  setenv("SERIFALL_INPUT", "x11", 1);
  setenv("DISPLAY", ":4242", 1);
  type("\x1b[?6c");
  inputOpen(in[0], out[1]);
  EXPECT_STREQ(inputBackendName(), "terminal (timed keys, cell pointer)");
}
