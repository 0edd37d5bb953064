// Which backend reads input, from the environment.
//
// SERIFALL_INPUT=terminal always uses the terminal; =x11 tries X11 first
// (falling back to the terminal when no display opens). Anything else,
// including unset or an unknown value (silently: nothing can be printed
// while curses owns the screen), is auto: X11 when DISPLAY is set,
// WAYLAND_DISPLAY is not, the game is not behind SSH, tmux or screen (a
// WINDOWID there is stale or someone else's), nor inside a program that
// shows terminals among its own windows or buffers (Emacs: INSIDE_EMACS or
// TERM=eterm*; Vim's and Neovim's :terminal, zellij, dvtm), where a focused
// X window says nothing of whether the game has the keys, and WINDOWID
// names a window.
#pragma once

struct InputEnvironment {
  const char* mode = nullptr;  // SERIFALL_INPUT
  const char* display = nullptr;
  const char* waylandDisplay = nullptr;
  const char* sshConnection = nullptr;
  const char* sshClient = nullptr;
  const char* tmux = nullptr;
  const char* sty = nullptr;
  const char* windowId = nullptr;
  const char* insideEmacs = nullptr;  // INSIDE_EMACS
  const char* term = nullptr;         // TERM
  const char* vimTerminal = nullptr;  // VIM_TERMINAL
  const char* nvim = nullptr;         // NVIM
  const char* zellij = nullptr;       // ZELLIJ
  const char* dvtm = nullptr;         // DVTM
};

enum class InputChoice { terminal, x11 };

InputEnvironment inputEnvironment();

InputChoice inputChoose(const InputEnvironment& env);

// WINDOWID as a number; 0 when absent or not a number.
unsigned long inputWindowId(const char* text);
