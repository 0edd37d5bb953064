#include "platform/input/input_parser.h"

namespace {

enum ParserState : uint8_t { ground, escape, csi, ss3 };

constexpr uint8_t kEsc = 0x1b;

bool emitKey(uint8_t byte, InputEvent& event) {
  event = InputEvent{};
  event.kind = InputEventKind::key;
  event.a = byte;
  return true;
}

void startSequence(InputParser& parser, ParserState state, int64_t now) {
  parser.state = state;
  parser.marker = 0;
  parser.intermediate = 0;
  parser.invalid = false;
  parser.length = state == csi ? 2 : 1;
  parser.paramCount = 0;
  parser.subIndex = 0;
  for (auto& param : parser.params)
    for (auto& sub : param) sub = -1;
  parser.since = now;
}

void parameterByte(InputParser& parser, uint8_t byte) {
  bool first = parser.paramCount == 0 && parser.marker == 0;
  if (byte >= '<' && byte <= '?') {
    if (first && parser.length == 3) parser.marker = byte;
    else parser.invalid = true;
    return;
  }
  if (parser.intermediate != 0) {  // parameters after intermediates
    parser.invalid = true;
    return;
  }
  if (parser.paramCount == 0) parser.paramCount = 1;
  int p = parser.paramCount - 1;
  if (byte == ';') {
    parser.paramCount++;
    parser.subIndex = 0;
  } else if (byte == ':') {
    parser.subIndex++;
  } else if (byte >= '0' && byte <= '9' && p < kMaxParams && parser.subIndex < kMaxSubParams) {
    int32_t& value = parser.params[p][parser.subIndex];
    int32_t digit = byte - '0';
    // Checked before multiplying, so no run of digits can overflow.
    if (value < 0) value = digit;
    else if (value >= kParamLimit / 10) value = kParamLimit;
    else value = value * 10 + digit;
  }
}

bool sgrMouse(const InputParser& parser, uint8_t final, InputEvent& event) {
  event.kind = InputEventKind::mouse;
  event.release = final == 'm';
  event.a = parserParam(parser, 0, 0, 0);
  event.b = parserParam(parser, 1, 0, 1);
  event.c = parserParam(parser, 2, 0, 1);
  return true;
}

bool kittyKey(const InputParser& parser, InputEvent& event) {
  event.kind = InputEventKind::kittyKey;
  event.a = parserParam(parser, 0, 0, 0);
  event.b = parserParam(parser, 1, 0, 1);
  event.c = parserParam(parser, 1, 1, 1);
  return true;
}

// A, B, C, D: up, down, right, left, as InputArrow counts them.
bool arrowKey(uint8_t final, int32_t mods, int32_t type, InputEvent& event) {
  event = InputEvent{};
  event.kind = InputEventKind::arrowKey;
  event.a = final - 'A';
  event.b = mods;
  event.c = type;
  return true;
}

bool isArrow(uint8_t final) { return final >= 'A' && final <= 'D'; }

// Turns a finished CSI into an event; unknown sequences give none.
bool finishCsi(InputParser& parser, uint8_t final, InputEvent& event) {
  event = InputEvent{};
  uint8_t marker = parser.marker;
  uint8_t inter = parser.intermediate;
  if (inter == 0 && (final == 'M' || final == 'm') && marker == '<') return sgrMouse(parser, final, event);
  if (inter == 0 && final == 'u' && marker == 0) return kittyKey(parser, event);
  if (inter == 0 && marker == 0 && isArrow(final))
    return arrowKey(final, parserParam(parser, 1, 0, 1), parserParam(parser, 1, 1, 1), event);
  if (inter == 0 && final == 'u' && marker == '?') {
    event.kind = InputEventKind::kittyFlags;
    event.a = parserParam(parser, 0, 0, 0);
    return true;
  }
  if (inter == '$' && final == 'y' && marker == '?') {
    event.kind = InputEventKind::modeReport;
    event.a = parserParam(parser, 0, 0, 0);
    event.b = parserParam(parser, 1, 0, 0);
    return true;
  }
  if (inter == 0 && final == 'c' && marker == '?') {
    event.kind = InputEventKind::deviceAttributes;
    return true;
  }
  if (inter == 0 && marker == 0 && parser.paramCount == 0 && (final == 'I' || final == 'O')) {
    event.kind = final == 'I' ? InputEventKind::focusIn : InputEventKind::focusOut;
    return true;
  }
  return false;
}

bool csiByte(InputParser& parser, uint8_t byte, int64_t now, InputEvent& event) {
  parser.since = now;
  if (parser.length < kSequenceCap) parser.length++;
  else parser.invalid = true;
  if (byte >= 0x30 && byte <= 0x3f) {
    parameterByte(parser, byte);
    return false;
  }
  if (byte >= 0x20 && byte <= 0x2f) {
    parser.intermediate = byte;
    return false;
  }
  // 0x40-0x7E: the final byte.
  if (parser.invalid) {
    parser.state = ground;
    return false;
  }
  parser.state = ground;
  return finishCsi(parser, byte, event);
}

bool escapeByte(InputParser& parser, uint8_t byte, int64_t now, InputEvent& event) {
  if (byte == '[') {
    startSequence(parser, csi, now);
    return false;
  }
  if (byte == 'O') {
    startSequence(parser, ss3, now);
    return false;
  }
  if (byte == kEsc) {  // the first one was the Escape key
    parser.since = now;
    return emitKey(kEsc, event);
  }
  parser.state = ground;  // Alt + key: the key itself
  return emitKey(byte, event);
}

bool groundByte(InputParser& parser, uint8_t byte, int64_t now, InputEvent& event) {
  if (byte == kEsc) {
    startSequence(parser, escape, now);
    return false;
  }
  return emitKey(byte, event);
}

}  // namespace

void parserReset(InputParser& parser) { parser = InputParser{}; }

bool parserByte(InputParser& parser, uint8_t byte, int64_t now, InputEvent& event) {
  switch (parser.state) {
    case escape: return escapeByte(parser, byte, now, event);
    case ss3:
      parser.state = ground;
      if (isArrow(byte)) return arrowKey(byte, 1, 1, event);
      if (byte >= 0x40 && byte <= 0x7e) return false;
      return groundByte(parser, byte, now, event);
    case csi:
      if (byte == kEsc) {
        startSequence(parser, escape, now);
        return false;
      }
      if (byte < 0x20) return emitKey(byte, event);  // C0 controls act inside a sequence
      if (byte >= 0x7f) {
        parser.state = ground;
        return false;
      }
      return csiByte(parser, byte, now, event);
    default: return groundByte(parser, byte, now, event);
  }
}

bool parserExpire(InputParser& parser, int64_t now, InputEvent& event) {
  if (parser.state == ground) return false;
  int64_t idle = now - parser.since;
  bool shortWait = parser.state == escape || parser.state == ss3;
  if (idle < (shortWait ? kEscapeWaitMicros : kSequenceStaleMicros)) return false;
  uint8_t state = parser.state;
  parser.state = ground;
  if (state == escape) return emitKey(kEsc, event);
  if (state == ss3) return emitKey('O', event);
  return false;
}

bool parserWaitingForEscape(const InputParser& parser) {
  return parser.state == escape || parser.state == ss3;
}

bool parserPending(const InputParser& parser) { return parser.state != ground; }

int32_t parserParam(const InputParser& parser, int i, int j, int32_t fallback) {
  if (i < 0 || i >= kMaxParams || j < 0 || j >= kMaxSubParams) return fallback;
  int32_t value = parser.params[i][j];
  return value < 0 ? fallback : value;
}
