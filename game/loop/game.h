// The program: start-up, the frame loop and shut-down.
#pragma once

// Returns the exit status: 0 after Q, 1 when there is no usable terminal.
int runGame();
