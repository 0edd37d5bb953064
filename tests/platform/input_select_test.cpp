#include <gtest/gtest.h>

#include "platform/input_select.h"

TEST(InputSelect, EnvironmentChoosesTheBackend) {
  struct Case {
    const char* name;
    InputEnvironment env;
    InputChoice choice;
  };
  auto desktop = [] {
    InputEnvironment env;
    env.display = ":0";
    env.windowId = "41943054";
    return env;
  };
  auto with = [&](auto change) {
    InputEnvironment env = desktop();
    change(env);
    return env;
  };
  const Case cases[] = {
      {"X11 terminal window", desktop(), InputChoice::x11},
      {"auto written out", with([](InputEnvironment& e) { e.mode = "auto"; }), InputChoice::x11},
      {"unknown mode is auto", with([](InputEnvironment& e) { e.mode = "evdev"; }), InputChoice::x11},
      {"forced terminal", with([](InputEnvironment& e) { e.mode = "terminal"; }), InputChoice::terminal},
      {"no display", with([](InputEnvironment& e) { e.display = ""; }), InputChoice::terminal},
      {"Wayland", with([](InputEnvironment& e) { e.waylandDisplay = "wayland-0"; }), InputChoice::terminal},
      {"SSH", with([](InputEnvironment& e) { e.sshConnection = "10.0.0.1 5 10.0.0.2 22"; }), InputChoice::terminal},
      {"SSH client", with([](InputEnvironment& e) { e.sshClient = "10.0.0.1 5 22"; }), InputChoice::terminal},
      {"tmux", with([](InputEnvironment& e) { e.tmux = "/tmp/tmux-0/default,1,0"; }), InputChoice::terminal},
      {"screen", with([](InputEnvironment& e) { e.sty = "123.pts-0"; }), InputChoice::terminal},
      {"no WINDOWID", with([](InputEnvironment& e) { e.windowId = nullptr; }), InputChoice::terminal},
      {"WINDOWID 0", with([](InputEnvironment& e) { e.windowId = "0"; }), InputChoice::terminal},
      {"forced x11 inside tmux", with([](InputEnvironment& e) {
         e.mode = "x11";
         e.tmux = "/tmp/tmux-0/default,1,0";
         e.windowId = nullptr;
       }),
       InputChoice::x11},
  };
  for (const Case& c : cases) EXPECT_EQ(inputChoose(c.env), c.choice) << c.name;

  EXPECT_EQ(inputWindowId("41943054"), 41943054UL);
  EXPECT_EQ(inputWindowId("0x2800006"), 0x2800006UL);
  EXPECT_EQ(inputWindowId("12abc"), 0UL);
  EXPECT_EQ(inputWindowId("-5"), 0UL);
  EXPECT_EQ(inputWindowId(nullptr), 0UL);
}
