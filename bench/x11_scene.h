// The input layer's own cost, by backend: the same scene with the real
// input layer reading a pseudo-terminal, once through the terminal and once
// through the X11 backend, on the X display the bench was started on.
#pragma once

struct SceneRate {
  double framesPerSecond;
  double picturesPerSecond;
};

// Runs `run` (one scene, its figures) ROUNDS times for each backend,
// alternating, with the real input layer as the frame's poll, and prints
// the table. Says so in one line and runs nothing without a display.
void benchInputBackends(SceneRate (*run)(), int rounds);
