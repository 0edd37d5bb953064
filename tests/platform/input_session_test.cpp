// The public functions over pipes: what reaches the terminal, and what comes
// back from it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <cstdlib>
#include <string>

#include "platform/input/input.h"

namespace {

const std::string kProbe = "\x1b[?u\x1b[?1016$p\x1b[?2026$p\x1b[c";
const std::string kModesOff = "\x1b[?1004l\x1b[?1016l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l";
const std::string kPop = "\x1b[<u";

class InputSession : public testing::Test {
protected:
  int in[2] = {-1, -1}, out[2] = {-1, -1};

  void SetUp() override {
    ASSERT_TRUE(pipe(in) == 0 && pipe(out) == 0 && fcntl(out[0], F_SETFL, O_NONBLOCK) == 0);
    setenv("SERIFALL_INPUT", "terminal", 1);
  }
  void TearDown() override {
    inputClose();
    unsetenv("SERIFALL_INPUT");
    for (int fd : {in[0], in[1], out[0], out[1]})
      if (fd >= 0) close(fd);
  }
  void type(const std::string& bytes) {
    ASSERT_EQ(write(in[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }
  // What reached the terminal since the last look, then "|" and inputRestoreBytes as they are now.
  std::string written() {
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<size_t>(n));
    size_t length = 0;
    const char* restore = inputRestoreBytes(&length);
    return text + "|" + std::string(restore, length);
  }
  InputState poll() {
    InputState state;
    inputPoll(state);
    return state;
  }
};

}  // namespace

TEST_F(InputSession, KittyTerminalModesOnAndOff) {
  const std::string modesOn = "\x1b[?1003h\x1b[?1006h\x1b[?1016h\x1b[?1004h\x1b[>11u\x1b[?u";
  type("\x1b[?11u\x1b[?1016;1$y\x1b[?62c");
  inputOpen(in[0], out[1]);
  EXPECT_EQ(written(), kProbe + modesOn + "|" + kModesOff + kPop);
  type("\x1b[?11u\x1b[119u");  // the push confirmed, then a key
  EXPECT_TRUE(poll().w);

  // A handover asks DA1 and reads up to its reply, so the release the
  // terminal sent before it took the pop does not reach the shell.
  type("\x1b[119;1:3u\x1b[?62c");
  inputPause();
  inputAwaitAnswer();
  EXPECT_EQ(written(), kModesOff + kPop + "\x1b[c|");
  pollfd left{in[0], POLLIN, 0};
  EXPECT_EQ(::poll(&left, 1, 0), 0);  // nothing left for the shell
  inputResume();
  EXPECT_EQ(written(), modesOn + "|" + kModesOff + kPop);
  EXPECT_FALSE(poll().w);  // resuming released it

  // A second handover asks again and reads up to its own answer.
  type("\x1b[?62;22c");
  inputPause();
  inputAwaitAnswer();
  EXPECT_EQ(written(), kModesOff + kPop + "\x1b[c|");
  EXPECT_EQ(::poll(&left, 1, 0), 0);
  inputResume();
  EXPECT_EQ(written(), modesOn + "|" + kModesOff + kPop);

  inputClose();
  EXPECT_EQ(written(), kModesOff + kPop + "|");
}

// A terminal that answers the probe after its deadline (kitty started with
// the game on a busy machine) still gets the kitty flags pushed and the
// pointer in pixels; once it confirms the push, a Q press reads as Q.
TEST_F(InputSession, LateProbeAnswersTakenUp) {
  inputOpen(in[0], out[1]);  // waits out the probe: nothing answers
  EXPECT_EQ(written(), kProbe + "\x1b[?1003h\x1b[?1006h\x1b[?1004h|" + kModesOff);
  type("\x1b[?0u\x1b[?1016;2$y\x1b[?1;2c");
  EXPECT_FALSE(poll().q);
  EXPECT_EQ(written(), "\x1b[>11u\x1b[?u\x1b[?1016h|" + kModesOff + kPop);
  type("\x1b[?11u\x1b[113u");
  EXPECT_TRUE(poll().q);
  EXPECT_EQ(std::string(inputBackendName()), "terminal (kitty keys, pixel pointer)");
}

TEST_F(InputSession, TimedKeysWaitAndHangup) {
  const char* display = std::getenv("DISPLAY");
  const std::string savedDisplay = display != nullptr ? display : "";
  setenv("SERIFALL_INPUT", "x11", 1);
  setenv("DISPLAY", ":4242", 1);  // no such display: falls back to the terminal
  type("\x1b[?1;2cx");            // a key typed right behind the reply
  inputOpen(in[0], out[1]);
  display != nullptr ? setenv("DISPLAY", savedDisplay.c_str(), 1) : unsetenv("DISPLAY");
  EXPECT_EQ(written(), kProbe + "\x1b[?1003h\x1b[?1006h\x1b[?1004h|" + kModesOff);

  EXPECT_TRUE(inputWaitKey());
  type(" ");
  EXPECT_TRUE(inputWaitKey());
  EXPECT_FALSE(poll().space);  // the key that ended the wait is forgotten
  type(" ");
  EXPECT_TRUE(poll().space);

  close(in[1]);
  in[1] = -1;
  EXPECT_TRUE(poll().hangup && poll().hangup);  // and stays
  EXPECT_FALSE(inputWaitKey());
}
