#include "platform/terminal/term_raw.h"

#include <termios.h>

namespace {

constexpr tcflag_t kInputOff = IXON | IXOFF | ISTRIP | INLCR | IGNCR | ICRNL | BRKINT | PARMRK;
constexpr tcflag_t kLocalOff = ISIG | ICANON | IEXTEN | ECHO | ECHONL;

// Written only outside signal handlers, before the handler could read them.
termios shellModes;
volatile int savedFd = -1;

}  // namespace

bool termSaveModes(int fd) {
  if (savedFd == fd) return true;
  if (tcgetattr(fd, &shellModes) != 0) return false;
  savedFd = fd;
  return true;
}

bool termPlayModes() {
  if (savedFd < 0) return false;
  termios modes = shellModes;
  modes.c_iflag &= ~kInputOff;
  modes.c_lflag &= ~kLocalOff;
  modes.c_cflag = (modes.c_cflag & ~(CSIZE | PARENB)) | CS8;
  modes.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  return tcsetattr(savedFd, TCSANOW, &modes) == 0 && termIsRaw(savedFd);
}

void termShellModes() {
  if (savedFd >= 0) tcsetattr(savedFd, TCSANOW, &shellModes);
}

void termForgetModes() { savedFd = -1; }

bool termIsRaw(int fd) {
  termios modes{};
  if (tcgetattr(fd, &modes) != 0) return false;
  return (modes.c_iflag & kInputOff) == 0 && (modes.c_lflag & kLocalOff) == 0 &&
         (modes.c_cflag & CSIZE) == CS8;
}
