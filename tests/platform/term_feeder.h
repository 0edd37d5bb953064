// Drives the terminal backend with bytes and a fake clock in milliseconds.
#pragma once

#include <string>

#include "platform/term_input.h"

struct TermFeeder {
  TermInput term;

  explicit TermFeeder(bool mouse = true) {
    termStart(term, -1, -1, mouse);
    term.pointer.window = WindowSize{200, 100, 0, 0};
  }

  void feed(const std::string& bytes, int64_t ms) {
    termFeed(term, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ms * 1000);
  }

  InputState poll(int64_t ms) {
    InputState state;
    termEvaluate(term, ms * 1000, state);
    return state;
  }

  // "w", "s", "q" for each key down at `ms`, in that order.
  std::string held(int64_t ms) {
    InputState s = poll(ms);
    return std::string(s.w ? "w" : "") + (s.space ? "s" : "") + (s.q ? "q" : "");
  }
};
