// The terminal input path under arbitrary input: bytes split anywhere,
// delivered at arbitrary (monotonic) times, in windows of arbitrary size,
// through the real parser, key tracker and pointer tracker, with the probe
// at start-up and the modes written to a memory file.
//
// Input layout: [terminal bytes][schedule][schedule length: 1 byte]. The
// schedule starts with a set-up (mode, window, start time) and goes on with
// operations of two bytes: deliver the next n bytes, poll, resize. When it
// runs out, the rest is delivered and polled a few times.
#include <sanitizer/allocator_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/term_model.h"
#include "fuzz/term_tokens.h"
#include "platform/input/input_parser.h"
#include "platform/input/term/term_input.h"
#include "platform/terminal/answers.h"

namespace {

struct Schedule {
  const uint8_t* bytes;
  size_t length;
  size_t at = 0;
  uint8_t next() { return at < length ? bytes[at++] : 0; }
  bool done() const { return at >= length; }
};

struct Run {
  TermInput term;
  TermModel model;
  std::vector<uint8_t> stream;
  std::vector<Token> tokens;
  size_t fed = 0;         // bytes delivered so far
  size_t token = 0;       // first token not wholly delivered
  int64_t firstByte = 0;  // when the current token's first byte arrived
  int64_t now = 0;
  bool probing = false;
  bool probed = false;
  bool enabled = false;
  int outFd = -1;
  off_t enabledAt = 0;
  off_t lateFrom = 0;  // output not yet looked at for late answers' modes
};

// The frame loop polls input every frame: feeding and evaluating must not
// allocate.
bool watching = false;
size_t allocations = 0;

void countAllocation(const volatile void*, size_t) {
  if (watching) allocations++;
}

void ignoreFree(const volatile void*) {}

void watchAllocations(bool on) {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
  if (!installed) return;
  if (!on && allocations > 0)
    invariantBroken("alloc", "the input path allocated", static_cast<long long>(allocations));
  watching = on;
  allocations = 0;
}

void feed(TermInput& term, const uint8_t* bytes, size_t n, int64_t now) {
  watchAllocations(true);
  termFeed(term, bytes, n, now);
  watchAllocations(false);
}

int memoryFile() {
  static int fd = memfd_create("serifall-fuzz-out", 0);
  return fd;
}

// Every gap from none to twenty minutes, denser where the input layer's own
// times (50 ms, 60 ms, 250 ms, 500 ms, 1 s, 10 s) lie.
int64_t gapMicros(int g) {
  if (g == 0) return 0;
  if (g <= 4) return g * 150;
  if (g <= 20) return (g - 4) * 4000;
  if (g <= 40) return (g - 20) * 30000;
  if (g <= 55) return (g - 40) * 700000;
  return 10000000ll << (g - 56);
}

std::string written(const Run& r, off_t from) {
  off_t end = lseek(r.outFd, 0, SEEK_CUR);
  std::string out(static_cast<size_t>(end - from), '\0');
  if (!out.empty() && pread(r.outFd, &out[0], out.size(), from) != static_cast<ssize_t>(out.size()))
    out.clear();
  return out;
}

// Tells the model about the tokens touched by bytes [from, to).
void account(Run& r, size_t from, size_t to) {
  while (r.token < r.tokens.size() && r.tokens[r.token].begin < to) {
    const Token& t = r.tokens[r.token];
    if (t.begin >= from) r.firstByte = r.now;
    if (t.kind == TokenKind::noise) {
      int escapes = 0;
      for (size_t i = std::max(from, t.begin); i < std::min(to, t.end); i++)
        escapes += r.stream[i] == 0x1b || r.stream[i] == 0x9b;
      modelNoise(r.model, t, escapes, r.now);
    }
    if (t.end > to) return;  // the rest comes later
    // A terminal writes a report in one piece; split with a long pause, the
    // parser is right to take its ESC for the Escape key.
    bool intact = r.now - r.firstByte < kEscapeWaitMicros;
    if (t.kind != TokenKind::noise) modelToken(r.model, t, intact, r.term.pointer.window, r.now);
    r.token++;
  }
}

void enable(Run& r) {
  if (r.probing) termProbeEnd(r.term);
  r.probing = false;
  r.enabledAt = lseek(r.outFd, 0, SEEK_CUR);
  termEnable(r.term);
  r.enabled = true;
  std::string out = written(r, r.enabledAt);
  bool push = out.find("\x1b[>") != std::string::npos;
  bool pixels = out.find("\x1b[?1016h") != std::string::npos;
  modelEnabled(r.model, r.probed, push, pixels);
  r.lateFrom = lseek(r.outFd, 0, SEEK_CUR);
}

// What the game wrote in answer to late probe replies.
void lateCheck(Run& r) {
  if (!r.enabled) return;
  std::string out = written(r, r.lateFrom);
  r.lateFrom += static_cast<off_t>(out.size());
  bool push = out.find("\x1b[>") != std::string::npos;
  bool pixels = out.find("\x1b[?1016h") != std::string::npos;
  if (push || pixels) modelLate(r.model, push, pixels);
}

void probeCheck(Run& r) {
  if (!r.probing) return;
  bool over = termProbeOver(r.term, r.now);
  modelProbeCheck(r.model, over, r.now);
  if (over) enable(r);
}

void deliver(Run& r, size_t n) {
  if (n > r.stream.size() - r.fed) n = r.stream.size() - r.fed;
  probeCheck(r);  // the probe loop looks at the clock before it waits
  // While late answers may still come, one token at a time: a key pressed
  // after a late push in the same read is a kitty key.
  for (size_t end = r.fed + n; r.fed < end;) {
    size_t step = end - r.fed;
    if (terminalAnswers.probeLate && r.token < r.tokens.size())
      step = std::min(step, std::max<size_t>(1, r.tokens[r.token].end - r.fed));
    feed(r.term, r.stream.data() + r.fed, step, r.now);
    account(r, r.fed, r.fed + step);
    r.fed += step;
    lateCheck(r);
  }
  probeCheck(r);
}

void poll(Run& r) {
  if (r.probing) {  // a wake-up of the probe's wait
    feed(r.term, nullptr, 0, r.now);
    probeCheck(r);
    return;
  }
  InputState state;
  watchAllocations(true);
  termEvaluate(r.term, r.now, state);
  watchAllocations(false);
  modelPoll(r.model, state, r.now);
}

void resize(Run& r, WindowSize w) {
  r.term.pointer.window = w;
  modelResize(r.model, w);
}

WindowSize windowOf(uint8_t colsByte, uint8_t rowsByte, int cellPixels) {
  WindowSize w;
  if (colsByte == 255) return w;  // the size could not be read
  w.cols = colsByte == 0 ? 80 : colsByte * 4 - 3;
  w.rows = rowsByte == 0 ? 24 : rowsByte * 2 - 1;
  w.xpixel = w.cols * cellPixels;
  w.ypixel = w.rows * cellPixels * 2;
  return w;
}

void operate(Run& r, Schedule& s, int cellPixels) {
  uint8_t op = s.next();
  uint8_t arg = s.next();
  int kind = op & 3;
  if (kind == 2) {
    resize(r, windowOf(arg, static_cast<uint8_t>(op >> 2), cellPixels));
    return;
  }
  r.now += gapMicros(op >> 2);
  if (kind != 1) deliver(r, static_cast<size_t>(arg) + 1);
  if (kind != 0) poll(r);
}

void finish(Run& r) {
  r.now += 1000;
  deliver(r, r.stream.size());
  if (r.probing) {
    r.now = std::max(r.now, r.model.probe.deadline);
    probeCheck(r);
  }
  if (!r.enabled && r.term.mouse) enable(r);
  for (int64_t gap : {0, 300000, 300000}) {
    r.now += gap;
    poll(r);
  }
  off_t closedAt = lseek(r.outFd, 0, SEEK_CUR);
  termDisable(r.term);
  if (r.enabled) modelClosed(r.model, written(r, closedAt).find("\x1b[<u") != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t scheduleLength = std::min<size_t>(data[size - 1], size - 1);
  size_t streamLength = size - 1 - scheduleLength;
  Schedule s{data + streamLength, scheduleLength};

  static Run r;
  r.outFd = memoryFile();
  if (r.outFd < 0 || ftruncate(r.outFd, 0) != 0 || lseek(r.outFd, 0, SEEK_SET) != 0) return 0;
  uint8_t setup = s.next();
  bool x11 = (setup & 1) != 0;  // X11 has keys and pointer: no probe, no modes
  bool probe = (setup & 2) == 0;
  static const int64_t starts[] = {0, 5000000, 1000000000000ll, 4000000000000000000ll};
  int cellPixels = (setup >> 5) * 3;  // 0: the terminal does not tell
  uint8_t colsByte = s.next(), rowsByte = s.next();
  int repeat = (setup & 16) != 0 ? 1 + s.next() % 64 : 1;

  r.stream.clear();
  for (int i = 0; i < repeat; i++) r.stream.insert(r.stream.end(), data, data + streamLength);
  r.tokens = tokenize(r.stream.data(), r.stream.size());
  r.fed = r.token = 0;
  r.now = starts[(setup >> 2) & 3];
  r.probing = r.probed = r.enabled = false;

  WindowSize window = windowOf(colsByte, rowsByte, cellPixels);
  termStart(r.term, -1, r.outFd, !x11);
  r.term.pointer.window = window;
  modelStart(r.model, !x11, window, r.now);
  if (!x11 && probe) {
    termProbeBegin(r.term, r.now);
    modelProbeBegin(r.model, r.now);
    r.probing = r.probed = true;
  } else if (!x11) {
    enable(r);
  }
  while (!s.done()) operate(r, s, cellPixels);
  finish(r);
  return 0;
}
