#include "base/filestream.h"

#include <gtest/gtest.h>

#include <cstdio>

using Tessor::Base::FileStream;

namespace {

std::string Contents(FileStream& stream) {
  std::string text(static_cast<size_t>(stream.GetLength()), '\0');
  stream.Rewind();
  stream.Read(&text[0], static_cast<uint32_t>(text.size()));
  return text;
}

int closes = 0;
std::FILE* CountingFile() {
  cookie_io_functions_t io{};
  io.close = [](void*) { return ++closes, 0; };
  return fopencookie(nullptr, "w", io);
}

// Truncate and Clear must reach an override of the slots below them.
struct Recorder : FileStream {
  int32_t SetLength(int32_t length) override { return lengths.push_back(length), 42; }
  int32_t Tell() override { return 3; }
  std::vector<int32_t> lengths;
};

}  // namespace

TEST(FileStream, OperationsOnARealFile) {
  FileStream stream;
  stream.Attach(std::tmpfile());
  EXPECT_EQ(stream.Write("0123456789", 10), 10u);
  EXPECT_EQ(stream.GetLength(), 10);  // still in the stdio buffer
  EXPECT_EQ(stream.SeekFromStart(5), 0);
  EXPECT_EQ(stream.Truncate(), 0);
  EXPECT_EQ(Contents(stream), "01234");
  EXPECT_EQ(stream.SeekFromEnd(-2), 0);
  EXPECT_EQ(stream.Skip(10), 10);  // past the end is allowed
  EXPECT_EQ(stream.Tell(), 13);
  EXPECT_EQ(stream.SetLength(8), 0);
  EXPECT_EQ(Contents(stream), std::string("01234\0\0\0", 8));

  char buffer[9] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 0u);  // Contents left the position at the end
  EXPECT_TRUE(stream.IsEof());
  stream.Rewind();
  EXPECT_EQ(stream.Read(buffer, 8), 8u);
  EXPECT_FALSE(stream.IsEof());  // at the end, but no read has hit it yet
  EXPECT_EQ(stream.Clear(), 0);
  EXPECT_EQ(stream.GetLength(), 0);

  Recorder recorder;
  EXPECT_EQ(recorder.Truncate(), 42);
  EXPECT_EQ(recorder.Clear(), 42);
  EXPECT_EQ(recorder.lengths, (std::vector<int32_t>{3, 0}));
}

TEST(FileStream, OwnsItsFileUntilDetached) {
  closes = 0;
  {
    FileStream stream, detached;
    std::FILE* kept = CountingFile();
    stream.Attach(kept);
    EXPECT_EQ(stream.Detach(), kept);
    stream.Attach(kept);
    stream.Attach(CountingFile());  // replacing closes the first
  }
  EXPECT_EQ(closes, 2);
}

TEST(FileStream, DetachedStreamFailsHarmlessly) {
  FileStream stream;
  EXPECT_FALSE(stream.Open("/nonexistent-dir/file", "rb"));
  char buffer[4] = {};
  EXPECT_EQ(stream.Read(buffer, 4) + stream.Write("abcd", 4), 0u);
  EXPECT_TRUE(stream.IsEof());
  const int32_t results[] = {stream.GetLength(), stream.SetLength(3), stream.SeekFromCurrent(1),
                             stream.SeekFromStart(1), stream.SeekFromEnd(1), stream.Truncate(),
                             stream.Clear(), stream.Tell()};
  for (int32_t result : results) EXPECT_EQ(result, -1);
  stream.Rewind();
  EXPECT_EQ(stream.Skip(10), 0);
  EXPECT_EQ(stream.Flush() + stream.Close(), 0);
}
