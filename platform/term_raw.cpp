#include "platform/term_raw.h"

#include <curses.h>
#include <termios.h>

namespace {

constexpr tcflag_t kInputOff = IXON | IXOFF | ISTRIP | INLCR | IGNCR | ICRNL | BRKINT | PARMRK;
constexpr tcflag_t kLocalOff = ISIG | ICANON | IEXTEN | ECHO;

}  // namespace

bool termRawKeys(int fd) {
  termios modes{};
  if (tcgetattr(fd, &modes) != 0) return false;
  modes.c_iflag &= ~kInputOff;
  modes.c_lflag &= ~kLocalOff;
  modes.c_cflag = (modes.c_cflag & ~(CSIZE | PARENB)) | CS8;
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &modes) != 0) return false;
  def_prog_mode();
  return termIsRaw(fd);
}

bool termIsRaw(int fd) {
  termios modes{};
  if (tcgetattr(fd, &modes) != 0) return false;
  return (modes.c_iflag & kInputOff) == 0 && (modes.c_lflag & kLocalOff) == 0 &&
         (modes.c_cflag & CSIZE) == CS8;
}
