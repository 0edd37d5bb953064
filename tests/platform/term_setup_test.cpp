// Choosing a terminfo entry, and the keyboard modes the game runs in.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/terminal/term_raw.h"
#include "platform/terminal/term_type.h"

namespace {

// Entries that exist here, and the one that exists but has no cursor
// addressing.
const std::set<std::string> kInstalled = {"xterm", "xterm-256color", "screen", "screen-256color",
                                          "ansi",  "vt100",          "foot",   "lpr"};
std::set<std::string> installed;

int fakeUsable(const char* name) {
  if (std::string(name) == "lpr") return -1;
  return installed.count(name) != 0 ? 1 : 0;
}

std::string chosen(const char* term) {
  std::string name;
  std::string problem = termChoose(term, fakeUsable, &name);
  return problem.empty() ? name : problem;
}

}  // namespace

// The fallbacks: the xterm or screen family, with 256 colours when the name
// says so or is a terminal known for them, then ansi and vt100.
TEST(TermType, ChoosesTheFirstInstalledOrRefuses) {
  using Without = std::set<std::string>;
  const std::vector<std::tuple<const char*, Without, std::string>> cases = {
      // TERM, not installed -> result
      {"foot", {}, "foot"},
      {"rio", {}, "xterm-256color"},
      {"rio", {"xterm-256color"}, "xterm"},
      {"foo-256color", {}, "xterm-256color"},
      {"xterm-direct", {}, "xterm-256color"},
      {"xterm-new", {}, "xterm"},
      {"tmux-256color", {}, "screen-256color"},
      {"screen.xterm-new", {}, "screen"},
      {"rio",
       {"xterm-256color", "xterm", "ansi", "vt100"},
       "serifall: unknown terminal type 'rio', and none of its fallbacks (xterm-256color, xterm, ansi, "
       "vt100) is installed"},
      {"sun-cmd", {}, "serifall: unknown terminal type 'sun-cmd'"},
      {"lpr", {}, "serifall: terminal type 'lpr' cannot position the cursor"},
      {"dumb", {}, "serifall: terminal type 'dumb' cannot position the cursor"},
      {nullptr, {}, "serifall: TERM is not set; set it to your terminal's type"},
      {"x\x1b]0;owned\x07\\\xff", {}, "serifall: unknown terminal type 'x\\x1b]0;owned\\x07\\x5c\\xff'"},
  };
  for (const auto& [term, without, result] : cases) {
    installed = kInstalled;
    for (const std::string& name : without) installed.erase(name);
    EXPECT_EQ(chosen(term), result) << (term ? term : "null");
  }
}

// Against this machine's terminfo: names that exist nowhere.
TEST(TermType, SettleSetsTermToTheFallback) {
  const char* saved = std::getenv("TERM");
  const std::string keep = saved != nullptr ? saved : "";
  const std::vector<std::tuple<const char*, std::string, std::string>> cases = {
      // TERM -> problem, TERM after
      {"serifall-nowhere-256color", "", "xterm-256color"},
      {"serifall-nowhere", "serifall: unknown terminal type 'serifall-nowhere'", "serifall-nowhere"},
  };
  for (const auto& [term, problem, after] : cases) {
    setenv("TERM", term, 1);
    EXPECT_EQ(termSettle(), problem) << term;
    EXPECT_EQ(std::getenv("TERM"), after) << term;
    EXPECT_EQ(termRequested, term);
  }
  saved != nullptr ? setenv("TERM", keep.c_str(), 1) : unsetenv("TERM");
}

// Ctrl-C, Ctrl-\ and Ctrl-Z must arrive as bytes, Ctrl-S must not stop
// output, and every byte must come through whole.
TEST(TermRaw, KeysArriveAsBytes) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios cooked{};
  ASSERT_EQ(tcgetattr(slave, &cooked), 0);
  cooked.c_iflag |= IXON | ISTRIP;
  cooked.c_lflag |= ISIG | ICANON;
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &cooked), 0);
  ASSERT_TRUE(termSaveModes(slave));
  EXPECT_TRUE(termPlayModes());
  const std::string typed = "\x03\x1c\x1a\x13q\x11\xe9\r";
  ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  std::string got;
  char buffer[64];
  // Bytes the modes swallow would leave it waiting: the bound ends that.
  for (pollfd fd{slave, POLLIN, 0}; got.size() < typed.size() && poll(&fd, 1, 10000) > 0;) {
    ssize_t n = read(slave, buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, static_cast<size_t>(n));
  }
  EXPECT_EQ(got, typed);
  // And the shell gets its own modes back, whatever the game set.
  termShellModes();
  termForgetModes();
  termios after{};
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_EQ(after.c_lflag, cooked.c_lflag);
  EXPECT_EQ(after.c_iflag, cooked.c_iflag);
  EXPECT_FALSE(termIsRaw(slave));
  close(master);
  close(slave);
}
