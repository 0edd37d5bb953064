// What a byte stream says, as far as the fuzz harness can be sure.
//
// A strict recognizer for the reports a terminal really sends, written
// apart from the parser so that the two can disagree: each well-formed
// report becomes a token with its meaning; every other byte is noise, and
// noise only records what it could possibly mean (which keys it could press
// or release, whether it could hold a probe reply or a mouse report).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TokenKind : uint8_t {
  noise,
  kittyKey,  // CSI code [; mods [: type]] u
  mouse,     // CSI < Cb ; x ; y M/m
  focusIn,
  focusOut,
  flags,             // CSI ? n u
  modeReport,        // CSI ? mode ; Ps $ y
  deviceAttributes,  // CSI ? n [; n]* c
  ctrlC,             // the byte 0x03
  ctrlZ,             // the byte 0x1a
};

enum class MouseKind : uint8_t { motion, click, wheel, leave, unclear };

// Keys the game reads: W, space, Q.
constexpr int kFuzzKeys = 3;

struct Token {
  TokenKind kind = TokenKind::noise;
  size_t begin = 0;  // byte range in the stream
  size_t end = 0;
  // kittyKey
  int key = -1;          // 0 W, 1 space, 2 Q, -1 another key
  int type = 1;          // 1 press, 2 repeat, 3 release
  bool quit = false;     // Ctrl+C or Ctrl+\ pressed (a quit request)
  bool suspend = false;  // Ctrl+Z pressed
  // mouse
  MouseKind mouse = MouseKind::unclear;
  uint64_t x = 0;  // as sent, saturated far beyond any window
  uint64_t y = 0;
  // modeReport
  uint32_t mode = 0;
  uint32_t ps = 0;
  // noise: what it could mean
  uint8_t mayPress = 0;  // bit per key: a letter, or digits of a kitty report
  bool digits = false;   // may be a kitty report of any key
  bool mayFocusOut = false;
  bool mayQuit = false;
  bool mayAnswerDa1 = false;
  bool mayAnswerFlags = false;
  bool mayReportMode = false;
  int escapes = 0;  // an upper bound on the reports it may hold
};

std::vector<Token> tokenize(const uint8_t* bytes, size_t length);
