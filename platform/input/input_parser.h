// Terminal input bytes to events: keys, kitty key reports, SGR mouse
// reports, focus changes and the replies to the start-up probe.
//
// No I/O and no clock of its own: the caller passes the time of each batch,
// so partial sequences survive split reads and a lone ESC can be told from
// the start of a sequence. Grammar after ECMA-48: CSI = ESC [, parameter
// bytes 0x30-0x3F, intermediates 0x20-0x2F, final 0x40-0x7E. The game
// Arrow keys come as CSI A..D (with "1;mods:type" where the kitty protocol
// or a modifier is on) or, in the cursor keys' application mode, SS3 A..D.
// The game never asks for X10 mouse reports, so a bare CSI M is an unknown
// sequence like any other and the bytes after it are keys.
//
// Numbers saturate at kParamLimit: every run of digits that long or longer
// reads as the limit.
#pragma once

#include <cstddef>
#include <cstdint>

enum class InputEventKind : uint8_t {
  none,
  key,       // a = byte (ESC + byte arrives as that byte)
  kittyKey,  // a = key code, b = modifiers (1 + bits), c = 1 press, 2 repeat, 3 release
  mouse,     // a = button code Cb, b = x, c = y (1-based), release = final 'm'
  focusIn,
  focusOut,
  kittyFlags,        // a = flags (reply to CSI ? u)
  modeReport,        // a = mode, b = Ps (DECRPM reply to DECRQM)
  deviceAttributes,  // DA1 reply: the end of the probe
  arrowKey,          // a = InputArrow, b = modifiers (1 + bits), c = 1 press, 2 repeat, 3 release
};

struct InputEvent {
  InputEventKind kind = InputEventKind::none;
  bool release = false;
  int32_t a = 0;
  int32_t b = 0;
  int32_t c = 0;
};

// A lone ESC counts as the Escape key once this long has passed without a
// following byte; so does an unfinished SS3 (ESC O, sent by terminals in one
// piece, typed as Alt+O).
constexpr int64_t kEscapeWaitMicros = 50000;
// An unfinished CSI is dropped after this long, so a stray ESC [ cannot
// swallow a key typed much later.
constexpr int64_t kSequenceStaleMicros = 500000;
// Longer sequences are consumed to their final byte and ignored.
constexpr int kSequenceCap = 64;

constexpr int32_t kParamLimit = 1000000;
constexpr int kMaxParams = 8;
constexpr int kMaxSubParams = 3;

struct InputParser {
  uint8_t state = 0;
  uint8_t marker = 0;                              // private marker '<', '=', '>', '?' or 0
  uint8_t intermediate = 0;                        // last intermediate byte or 0
  bool invalid = false;                            // over-long or malformed: consume, report nothing
  int length = 0;                                  // bytes of the current sequence
  int paramCount = 0;                              // parameters started so far
  int subIndex = 0;                                // sub-parameter of the current parameter
  int32_t params[kMaxParams][kMaxSubParams] = {};  // -1 = left empty
  int64_t since = 0;                               // time of the latest byte of a pending sequence
};

void parserReset(InputParser& parser);

// Feeds one byte that arrived at `now`. Returns true and fills `event` when
// the byte completes one.
bool parserByte(InputParser& parser, uint8_t byte, int64_t now, InputEvent& event);

// Call before each batch of bytes: settles a lone ESC (reported as the key
// 0x1b) or drops a stale unfinished sequence.
bool parserExpire(InputParser& parser, int64_t now, InputEvent& event);

// True while a lone ESC or SS3 waits for its next byte (a blocking wait
// must wake up to settle it).
bool parserWaitingForEscape(const InputParser& parser);

// True while any sequence is unfinished.
bool parserPending(const InputParser& parser);

// Parameter i, sub-parameter j, or `fallback` when absent or empty.
int32_t parserParam(const InputParser& parser, int i, int j, int32_t fallback);
