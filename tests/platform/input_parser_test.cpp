#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input_parser.h"

namespace {

// Events as short text: "k119" key byte, "K119,5,3" kitty, "M35,10,5" mouse
// ("m" for a release), "I"/"O" focus, "F11" flags, "R1016,2" mode, "D" DA1.
std::string describe(const InputEvent& e) {
  auto n = [](int32_t v) { return std::to_string(v); };
  switch (e.kind) {
    case InputEventKind::key: return "k" + n(e.a);
    case InputEventKind::kittyKey: return "K" + n(e.a) + "," + n(e.b) + "," + n(e.c);
    case InputEventKind::mouse: return (e.release ? "m" : "M") + n(e.a) + "," + n(e.b) + "," + n(e.c);
    case InputEventKind::focusIn: return "I";
    case InputEventKind::focusOut: return "O";
    case InputEventKind::kittyFlags: return "F" + n(e.a);
    case InputEventKind::modeReport: return "R" + n(e.a) + "," + n(e.b);
    case InputEventKind::deviceAttributes: return "D";
    default: return "?";
  }
}

void feed(InputParser& p, const std::string& bytes, int64_t ms, std::vector<std::string>& out) {
  int64_t now = ms * 1000;
  InputEvent e;
  if (parserExpire(p, now, e)) out.push_back(describe(e));
  for (char c : bytes)
    if (parserByte(p, static_cast<uint8_t>(c), now, e)) out.push_back(describe(e));
}

std::vector<std::string> parse(const std::string& bytes) {
  InputParser p;
  std::vector<std::string> out;
  feed(p, bytes, 0, out);
  return out;
}

using Events = std::vector<std::string>;

}  // namespace

TEST(InputParser, SequencesBecomeEvents) {
  struct Case {
    std::string bytes;
    Events events;
  };
  const std::string longParams = "\x1b[" + std::string(200, '7') + ";1u";
  const Case cases[] = {
      {"w q", {"k119", "k32", "k113"}},
      {"\x1bw", {"k119"}},  // Alt+w is w
      {"\x1b[119u\x1b[119;1:2u\x1b[119;129:3u", {"K119,1,1", "K119,1,2", "K119,129,3"}},
      {"\x1b[119:87;2u", {"K119,2,1"}},  // shifted-key sub-field ignored
      {"\x1b[<35;10;5M\x1b[<0;3;4m", {"M35,10,5", "m0,3,4"}},
      {"\x1b[I\x1b[O", {"I", "O"}},
      {"\x1b[?11u\x1b[?1016;2$y\x1b[?62;22c", {"F11", "R1016,2", "D"}},
      {"\x1b[1;5A\x1bOP\x1b[15~w", {"k119"}},       // arrows, F1, F5 ignored
      {longParams + "w", {"k119"}},                  // over-long: consumed whole
      {"\x1b[<35;1;113M", {"M35,1,113"}},            // no stray 'q'
      {"\x1b[MC\x77\x71", {"M35,87,81"}},            // X10 report: its bytes are no keys
      {"\x1b[1\x1b[119u", {"K119,1,1"}},             // ESC restarts a sequence
      {"\x1b[11\x03" "9u", {"k3", "K119,1,1"}},      // a control inside acts at once
      {"\x1b[99999999999999;5u", {"K1000000,5,1"}},  // huge numbers saturate
      {"\x1b\x1b", {"k27"}},                         // first ESC was the key
      {"\x1b[12\xc3" "w", {"k119"}},                 // a high byte aborts the sequence
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.bytes), c.events) << testing::PrintToString(c.bytes);
}

TEST(InputParser, TimeSettlesPartialInput) {
  InputParser p;
  Events out;
  // Split read: the sequence survives.
  feed(p, "\x1b[11", 0, out);
  EXPECT_TRUE(out.empty());
  feed(p, "9;1:3u", 5, out);
  EXPECT_EQ(out, Events({"K119,1,3"}));

  // Lone ESC: nothing until 50 ms of silence, then the Escape key.
  out.clear();
  feed(p, "\x1b", 100, out);
  feed(p, "", 140, out);
  EXPECT_TRUE(out.empty());
  feed(p, "", 160, out);
  EXPECT_EQ(out, Events({"k27"}));

  // ESC then '[' in a later batch within the wait is still a sequence.
  out.clear();
  feed(p, "\x1b", 200, out);
  feed(p, "[O", 230, out);
  EXPECT_EQ(out, Events({"O"}));

  // A stray ESC [ left open does not swallow a key typed much later.
  out.clear();
  feed(p, "\x1b[", 300, out);
  feed(p, "w", 900, out);
  EXPECT_EQ(out, Events({"k119"}));
}
