// The X11 backend where the build found no X11: it never opens, so input
// always comes from the terminal.
#include "platform/input/x11/input_x11.h"

bool x11Open(unsigned long) { return false; }
void x11Read(InputState&, int64_t) {}
void x11Pin() {}
void x11Resume() {}
void x11Close() {}
