// What one poll of the input reads: the held keys and the pointer's motion.
// Its own header so that the backends can fill it without the facade.
#pragma once

#include <cstdint>

struct InputState {
  bool w = false;  // held at the moment of polling
  bool space = false;
  bool q = false;
  int signalKey = 0;     // Ctrl-C or Ctrl-\ read as a key: the signal it stands for
  bool suspend = false;  // Ctrl-Z that arrived as a key event
  bool hangup = false;   // the terminal went away (end of file, EIO)
  int32_t dx = 0;        // pointer motion since the last poll, view cells
  int32_t dy = 0;
  int32_t turnX = 0;  // arrow-key turning since the last poll, view cells
  int32_t turnY = 0;  // (right and down positive, as the pointer)
};
