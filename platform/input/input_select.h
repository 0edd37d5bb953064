// Which backend reads input, from the environment.
//
// SERIFALL_INPUT=terminal always uses the terminal; =x11 tries X11 first
// (falling back to the terminal when no display opens). Anything else,
// including unset or an unknown value (silently: nothing can be printed
// while curses owns the screen), is auto: X11 when DISPLAY is set,
// WAYLAND_DISPLAY is not, the game is not behind SSH, tmux or screen (a
// WINDOWID there is stale or someone else's) and WINDOWID names a window.
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
};

enum class InputChoice { terminal, x11 };

InputEnvironment inputEnvironment();

InputChoice inputChoose(const InputEnvironment& env);

// WINDOWID as a number; 0 when absent or not a number.
unsigned long inputWindowId(const char* text);
