#include "platform/input/input_select.h"

#include <cstdlib>
#include <cstring>

namespace {

bool present(const char* value) { return value != nullptr && value[0] != '\0'; }

bool is(const char* value, const char* word) { return value != nullptr && std::strcmp(value, word) == 0; }

bool startsWith(const char* value, const char* word) {
  return value != nullptr && std::strncmp(value, word, std::strlen(word)) == 0;
}

// Programs that pass the keys of their X window on to one of several
// terminals they show: the window's focus is not the game's.
bool insideAnotherProgram(const InputEnvironment& env) {
  return present(env.insideEmacs) || startsWith(env.term, "eterm") || present(env.vimTerminal) ||
         present(env.nvim) || present(env.zellij) || present(env.dvtm);
}

}  // namespace

InputEnvironment inputEnvironment() {
  InputEnvironment env;
  env.mode = std::getenv("SERIFALL_INPUT");
  env.display = std::getenv("DISPLAY");
  env.waylandDisplay = std::getenv("WAYLAND_DISPLAY");
  env.sshConnection = std::getenv("SSH_CONNECTION");
  env.sshClient = std::getenv("SSH_CLIENT");
  env.tmux = std::getenv("TMUX");
  env.sty = std::getenv("STY");
  env.windowId = std::getenv("WINDOWID");
  env.insideEmacs = std::getenv("INSIDE_EMACS");
  env.term = std::getenv("TERM");
  env.vimTerminal = std::getenv("VIM_TERMINAL");
  env.nvim = std::getenv("NVIM");
  env.zellij = std::getenv("ZELLIJ");
  env.dvtm = std::getenv("DVTM");
  return env;
}

InputChoice inputChoose(const InputEnvironment& env) {
  if (is(env.mode, "terminal")) return InputChoice::terminal;
  if (is(env.mode, "x11")) return InputChoice::x11;
  if (!present(env.display) || present(env.waylandDisplay)) return InputChoice::terminal;
  if (present(env.sshConnection) || present(env.sshClient) || present(env.tmux) || present(env.sty))
    return InputChoice::terminal;
  if (insideAnotherProgram(env)) return InputChoice::terminal;
  return inputWindowId(env.windowId) != 0 ? InputChoice::x11 : InputChoice::terminal;
}

unsigned long inputWindowId(const char* text) {
  if (!present(text) || text[0] < '0' || text[0] > '9') return 0;
  char* end = nullptr;
  unsigned long id = std::strtoul(text, &end, 0);
  return *end == '\0' ? id : 0;
}
