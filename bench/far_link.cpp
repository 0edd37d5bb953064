#include "far_link.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Pieces short enough that a request's arrival on a slow link is timed to
// within a few milliseconds (64 bytes take 3.2 ms at 20 kB/s).
constexpr size_t kPiece = 64;

bool down(const LinkShape& shape, double at) { return at >= shape.downFrom && at < shape.downUntil; }

// When something that leaves at `leave` and takes `flight` on its way
// arrives: whatever is on its way when the link drops, or would leave while
// it is down, leaves again at the restore.
double crossing(const LinkShape& shape, double leave, double flight) {
  if (down(shape, leave) || (leave < shape.downFrom && leave + flight > shape.downFrom))
    leave = static_cast<double>(shape.downUntil);
  return leave + flight;
}

uint32_t nextRandom(FarLink& link) {
  uint32_t x = link.random;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return link.random = x;
}

int64_t answerTime(FarLink& link) {
  int64_t spread = link.shape.answerMaxMicros - link.shape.answerMinMicros;
  int64_t extra = spread > 0 ? static_cast<int64_t>(nextRandom(link) % static_cast<uint64_t>(spread + 1)) : 0;
  return link.shape.answerMinMicros + extra;
}

// Where the next piece ends: after the next request's last byte, or at the
// piece's length on a wire with a rate; `requests` says whether it ends
// one.
size_t pieceLength(FarLink& link, const char* bytes, size_t length, int& requests) {
  size_t limit = link.shape.bytesPerSecond > 0 ? std::min(kPiece, length) : length;
  requests = 0;
  for (size_t i = 0; i < limit; i++) {
    char b = bytes[i];
    if (link.scan == 2 && b == 'c') {
      link.scan = 0;
      requests = 1;
      return i + 1;
    }
    if (b == '\x1b') link.scan = 1;
    else link.scan = link.scan == 1 && b == '[' ? 2 : 0;
  }
  return limit;
}

void sendPiece(FarLink& link, int64_t now, size_t length, int requests) {
  const LinkShape& shape = link.shape;
  double wire = shape.bytesPerSecond > 0 ? static_cast<double>(length) * 1e6 / shape.bytesPerSecond : 0;
  double leave = std::max(static_cast<double>(now), link.wireFreeAt);
  double delay = static_cast<double>(shape.delayMicros);
  double arrived = crossing(shape, leave, wire + delay);
  link.wireFreeAt = arrived - delay;
  link.sent += length;
  link.pieces.push_back({link.sent, now, std::llround(arrived), requests});
}

}  // namespace

void farLinkSend(FarLink& link, int64_t now, const char* bytes, size_t length) {
  while (length > 0) {
    int requests = 0;
    size_t n = pieceLength(link, bytes, length, requests);
    sendPiece(link, now, n, requests);
    bytes += n;
    length -= n;
  }
}

int farLinkAnswers(FarLink& link, int64_t now) {
  for (; link.read < link.pieces.size() && link.pieces[link.read].arrivedAt <= now; ++link.read) {
    const LinkPiece& piece = link.pieces[link.read];
    for (int i = 0; i < piece.requests; i++) {
      // A terminal answers in order, so no answer leaves before the one
      // before it.
      link.lastAnswerAt = std::max(link.lastAnswerAt, piece.arrivedAt + answerTime(link));
      double back = crossing(link.shape, static_cast<double>(link.lastAnswerAt),
                             static_cast<double>(link.shape.delayMicros));
      link.answers.push_back(std::llround(back));
    }
  }
  int due = 0;
  for (; !link.answers.empty() && link.answers.front() <= now; link.answers.pop_front()) ++due;
  return due;
}

int64_t farLinkNextEvent(const FarLink& link) {
  int64_t next = INT64_MAX;
  if (link.read < link.pieces.size()) next = link.pieces[link.read].arrivedAt;
  if (!link.answers.empty()) next = std::min(next, link.answers.front());
  return next;
}

int64_t linkArrivalOf(const std::vector<LinkPiece>& pieces, uint64_t end) {
  auto piece = std::lower_bound(pieces.begin(), pieces.end(), end,
                                [](const LinkPiece& p, uint64_t offset) { return p.end < offset; });
  return piece == pieces.end() ? 0 : piece->arrivedAt;
}

uint64_t linkQueuedAt(const std::vector<LinkPiece>& pieces, int64_t at) {
  auto sent = std::upper_bound(pieces.begin(), pieces.end(), at,
                               [](int64_t t, const LinkPiece& p) { return t < p.sentAt; });
  auto arrived = std::upper_bound(pieces.begin(), pieces.end(), at,
                                  [](int64_t t, const LinkPiece& p) { return t < p.arrivedAt; });
  uint64_t sentBytes = sent == pieces.begin() ? 0 : std::prev(sent)->end;
  uint64_t arrivedBytes = arrived == pieces.begin() ? 0 : std::prev(arrived)->end;
  return sentBytes - arrivedBytes;
}
