#include "fuzz/term_tokens.h"

namespace {

constexpr uint8_t kEsc = 0x1b;
constexpr uint64_t kHuge = 1000000000000000000ull;

struct Cursor {
  const uint8_t* bytes;
  size_t length;
  size_t at;
  bool take(uint8_t byte) {
    if (at >= length || bytes[at] != byte) return false;
    at++;
    return true;
  }
  // A run of 1..maxDigits decimal digits; saturates instead of wrapping.
  bool number(int maxDigits, uint64_t& value) {
    value = 0;
    int n = 0;
    while (at < length && bytes[at] >= '0' && bytes[at] <= '9') {
      if (++n > maxDigits) return false;
      value = value >= kHuge ? kHuge : value * 10 + (bytes[at] - '0');
      at++;
    }
    return n > 0;
  }
};

int keyOfCode(uint64_t code) {
  // Ctrl with a letter keeps the key, as a code or as a control byte.
  if (code == 'w' || code == 0x17) return 0;
  if (code == ' ') return 1;
  if (code == 'q' || code == 0x11) return 2;
  return -1;
}

MouseKind mouseKind(uint64_t cb, bool release) {
  if (cb >= 256) return MouseKind::leave;
  if (cb >= 96) return MouseKind::unclear;  // wheel with motion, extra buttons
  if (cb >= 64) return release ? MouseKind::unclear : MouseKind::wheel;
  bool noButton = (cb & 3) == 3;
  if ((cb & 32) != 0 || noButton) return release ? MouseKind::unclear : MouseKind::motion;
  return MouseKind::click;
}

bool kittyKey(Cursor& c, Token& t) {
  uint64_t code = 0, mods = 1, type = 1;
  if (!c.number(7, code)) return false;
  if (c.take(';')) {
    if (!c.number(7, mods) || mods == 0) return false;
    if (c.take(':') && (!c.number(1, type) || type < 1 || type > 3)) return false;
  }
  if (!c.take('u')) return false;
  // Shifted letters are never sent as codes; leave them to noise, which
  // may mean anything.
  if (code == 'W' || code == 'Q' || code == 'C' || code == 'Z') return false;
  t.kind = TokenKind::kittyKey;
  t.key = keyOfCode(code);
  t.type = static_cast<int>(type);
  bool ctrl = ((mods - 1) & 4) != 0;
  t.quit = ctrl && type != 3 && (code == 'c' || code == '\\');
  t.suspend = ctrl && type != 3 && code == 'z';
  return true;
}

bool mouseReport(Cursor& c, Token& t) {
  uint64_t cb = 0;
  if (!c.number(9, cb) || !c.take(';') || !c.number(20, t.x) || !c.take(';') || !c.number(20, t.y))
    return false;
  bool release = c.take('m');
  if (!release && !c.take('M')) return false;
  t.kind = TokenKind::mouse;
  t.mouse = mouseKind(cb, release);
  return true;
}

bool privateReply(Cursor& c, Token& t) {
  uint64_t first = 0, second = 0;
  if (!c.number(9, first)) return false;
  if (c.take('u')) {
    t.kind = TokenKind::flags;
    t.ps = static_cast<uint32_t>(first);  // the flags in force
    return true;
  }
  size_t afterFirst = c.at;
  if (c.take(';') && c.number(9, second) && c.take('$') && c.take('y')) {
    t.kind = TokenKind::modeReport;
    t.mode = static_cast<uint32_t>(first);
    t.ps = static_cast<uint32_t>(second);
    return true;
  }
  c.at = afterFirst;
  while (c.take(';'))
    if (!c.number(9, second)) return false;
  if (!c.take('c')) return false;
  t.kind = TokenKind::deviceAttributes;
  return true;
}

// A token starting at `at`, or false.
bool recognize(const uint8_t* bytes, size_t length, size_t at, Token& t) {
  t = Token{};
  t.begin = at;
  if (bytes[at] == 0x03 || bytes[at] == 0x1a) {
    t.kind = bytes[at] == 0x03 ? TokenKind::ctrlC : TokenKind::ctrlZ;
    t.end = at + 1;
    return true;
  }
  Cursor c{bytes, length, at};
  if (!c.take(kEsc) || !c.take('[')) return false;
  bool ok = false;
  if (c.take('<')) ok = mouseReport(c, t);
  else if (c.take('?')) ok = privateReply(c, t);
  else if (c.take('I')) t.kind = TokenKind::focusIn, ok = true;
  else if (c.take('O')) t.kind = TokenKind::focusOut, ok = true;
  else ok = kittyKey(c, t);
  t.end = c.at;
  return ok;
}

void noiseByte(Token& t, uint8_t b) {
  t.end++;
  if (b == 'w' || b == 'W' || b == 0x17) t.mayPress |= 1;
  if (b == ' ') t.mayPress |= 2;
  if (b == 'q' || b == 'Q' || b == 0x11) t.mayPress |= 4;
  if (b >= '0' && b <= '9') {
    t.digits = true;
    t.mayPress = 7;
    t.mayQuit = true;
  }
  if (b == 'O') t.mayFocusOut = true;
  if (b == 0x1c) t.mayQuit = true;
  if (b == 'c') t.mayAnswerDa1 = true;
  if (b == 'u') t.mayAnswerFlags = true;
  if (b == 'y') t.mayReportMode = true;
  if (b == kEsc || b == 0x9b) t.escapes++;
}

}  // namespace

std::vector<Token> tokenize(const uint8_t* bytes, size_t length) {
  std::vector<Token> tokens;
  Token t;
  for (size_t at = 0; at < length;) {
    if (recognize(bytes, length, at, t)) {
      tokens.push_back(t);
      at = t.end;
      continue;
    }
    if (tokens.empty() || tokens.back().kind != TokenKind::noise) {
      Token noise;
      noise.begin = noise.end = at;
      tokens.push_back(noise);
    }
    noiseByte(tokens.back(), bytes[at]);
    at++;
  }
  return tokens;
}
