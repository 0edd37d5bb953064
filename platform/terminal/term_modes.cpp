#include "platform/terminal/term_modes.h"

#include "platform/output/output.h"
#include "platform/terminal/answers.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

// Focus, pixel and SGR coordinates, then the tracking modes; 1016 is reset
// before 1006 because a reset only acts on the active coordinate mode.
#define SERIFALL_MODES_OFF "\x1b[?1004l\x1b[?1016l\x1b[?1006l\x1b[?1003l\x1b[?1002l\x1b[?1000l"
#define SERIFALL_KITTY_POP "\x1b[<u"

constexpr size_t kModesOffLength = sizeof(SERIFALL_MODES_OFF) - 1;
constexpr size_t kRestoreLength = kModesOffLength + sizeof(SERIFALL_KITTY_POP) - 1;

constexpr char kMouseOn[] = "\x1b[?1003h\x1b[?1006h";
constexpr char kPixelsOn[] = "\x1b[?1016h";
constexpr char kFocusOn[] = "\x1b[?1004h";
// The query after the push asks whether the terminal took the flags.
constexpr char kKittyPush[] = "\x1b[>11u\x1b[?u";

void writeText(int fd, const char* text) { termWrite(fd, text, std::strlen(text)); }

}  // namespace

const char kProbeBurst[] = "\x1b[?u\x1b[?1016$p\x1b[?2026$p" SERIFALL_ANSWER_REQUEST;
const char termRestoreBuffer[] = SERIFALL_MODES_OFF SERIFALL_KITTY_POP;
volatile sig_atomic_t termRestoreLength = 0;

// Bounded, so a terminal that stopped reading cannot hold up quitting.
void termWrite(int fd, const char* bytes, size_t length) { outputWriteWithin(fd, bytes, length, 200); }

void termModesOn(int fd, bool pixels, bool pushKitty) {
  termRestoreLength = static_cast<sig_atomic_t>(pushKitty ? kRestoreLength : kModesOffLength);
  writeText(fd, kMouseOn);
  if (pixels) writeText(fd, kPixelsOn);
  writeText(fd, kFocusOn);
  if (pushKitty) writeText(fd, kKittyPush);
}

void termModesOff(int fd, bool pop) {
  termWrite(fd, termRestoreBuffer, pop ? kRestoreLength : kModesOffLength);
  termRestoreLength = 0;
}

void termKittyPush(int fd) {
  termRestoreLength = static_cast<sig_atomic_t>(kRestoreLength);
  writeText(fd, kKittyPush);
}

void termPixelsOn(int fd) { writeText(fd, kPixelsOn); }
