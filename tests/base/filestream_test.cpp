#include "base/filestream.h"

#include <gtest/gtest.h>

using Tessor::Base::FileStream;

TEST(FileStream, TruncateClearAndEofOnARealFile) {
  FileStream stream;
  stream.Attach(std::tmpfile());
  EXPECT_EQ(stream.Write("0123456789", 10), 10u);
  EXPECT_EQ(stream.GetLength(), 10);  // still in the stdio buffer
  EXPECT_EQ(stream.SeekFromStart(5), 0);
  EXPECT_EQ(stream.Truncate(), 0);
  EXPECT_EQ(stream.SeekFromEnd(-5), 0);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 5), 5u);
  EXPECT_FALSE(stream.IsEof());  // at the end, but no read has hit it yet
  EXPECT_EQ(stream.Read(buffer + 5, 1), 0u);
  EXPECT_TRUE(stream.IsEof());
  EXPECT_STREQ(buffer, "01234");
  EXPECT_EQ(stream.Clear(), 0);
  EXPECT_EQ(stream.GetLength(), 0);
}

TEST(FileStream, DetachedStreamFailsHarmlessly) {
  FileStream stream;
  char buffer[4] = {};
  EXPECT_EQ(stream.Read(buffer, 4) + stream.Write("abcd", 4), 0u);
  EXPECT_TRUE(stream.IsEof());
  stream.Rewind();
  EXPECT_EQ(stream.Skip(10) + stream.Flush() + stream.Close(), 0);
  EXPECT_EQ(stream.GetLength() + stream.SeekFromStart(1) + stream.Truncate() + stream.Tell(), -4);
}
