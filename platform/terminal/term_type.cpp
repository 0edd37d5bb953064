#include "platform/terminal/term_type.h"

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

std::string termRequested;

namespace {

// Terminals that speak xterm's sequences with 256 or more colours but
// whose entries are often missing.
const char* const kModernTerminals[] = {
    "foot",      "foot-extra", "wezterm",        "xterm-ghostty", "ghostty",
    "rio",       "contour",    "contour-latest", "xterm-kitty",   "kitty",
    "alacritty", "konsole",    "mlterm",         "iterm2",        "mintty",
};

bool startsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool endsWith(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool modern(const std::string& term) {
  for (const char* name : kModernTerminals)
    if (term == name) return true;
  return false;
}

std::vector<std::string> fallbacks(const std::string& term) {
  bool manyColours = endsWith(term, "-256color") || term.find("-direct") != std::string::npos || modern(term);
  if (startsWith(term, "tmux") || startsWith(term, "screen")) {
    if (manyColours) return {"screen-256color", "screen", "ansi", "vt100"};
    return {"screen", "ansi", "vt100"};
  }
  if (manyColours) return {"xterm-256color", "xterm", "ansi", "vt100"};
  if (startsWith(term, "xterm")) return {"xterm", "ansi", "vt100"};
  return {};
}

std::string joined(const std::vector<std::string>& names, size_t from) {
  std::string text;
  for (size_t i = from; i < names.size(); i++) text += (text.empty() ? "" : ", ") + names[i];
  return text;
}

// Leaves whatever terminal curses had current as it was.
int terminfoUsable(const char* name) {
  TERMINAL* before = cur_term;
  int error = 0;
  int usable = 0;
  if (setupterm(name, STDOUT_FILENO, &error) == OK) {
    // Without cursor addressing every cell would land in one unpositioned line.
    const char* cup = tigetstr("cup");
    usable = cup && cup != reinterpret_cast<const char*>(-1) ? 1 : -1;
    del_curterm(cur_term);
  }
  set_curterm(before);
  return usable;
}

// TERM itself first, then its fallbacks in order; empty for a type that is
// refused outright (unset, empty, dumb).
std::vector<std::string> termCandidates(const char* term) {
  if (term == nullptr || *term == '\0' || std::strcmp(term, "dumb") == 0) return {};
  std::vector<std::string> names{term};
  for (const std::string& name : fallbacks(term))
    if (name != names.front()) names.push_back(name);
  return names;
}

// TERM as the refusal line shows it: printable ASCII as it is, everything
// else (escape bytes, controls, bytes above 0x7e) as \xHH.
std::string termEscaped(const char* term) {
  std::string text;
  for (const char* p = term; *p != '\0'; p++) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      text += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      text += hex;
    }
  }
  return text;
}

}  // namespace

std::string termChoose(const char* term, int (*usable)(const char* name), std::string* chosen) {
  if (term == nullptr || *term == '\0') return "serifall: TERM is not set; set it to your terminal's type";
  std::string shown = "'" + termEscaped(term) + "'";
  const std::string noCursor = "serifall: terminal type " + shown + " cannot position the cursor";
  std::vector<std::string> names = termCandidates(term);
  if (names.empty()) return noCursor;  // dumb, refused by its name alone
  int own = usable(names[0].c_str());
  if (own < 0) return noCursor;
  for (const std::string& name : names) {
    if (&name != &names[0] && usable(name.c_str()) <= 0) continue;
    if (&name == &names[0] && own == 0) continue;
    *chosen = name;
    return "";
  }
  if (names.size() == 1) return "serifall: unknown terminal type " + shown;
  return "serifall: unknown terminal type " + shown + ", and none of its fallbacks (" + joined(names, 1) +
         ") is installed";
}

std::string termSettle() {
  const char* term = std::getenv("TERM");
  termRequested = term != nullptr ? term : "";
  std::string chosen;
  std::string problem = termChoose(term, terminfoUsable, &chosen);
  if (problem.empty() && chosen != termRequested) setenv("TERM", chosen.c_str(), 1);
  return problem;
}
