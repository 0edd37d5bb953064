// Tessor::Base::FileStream: a Stream over a stdio FILE that it owns.
//
// A new stream is detached. Open or Attach gives it a file; the destructor,
// Close, or the next Open/Attach closes that file. Every operation on a
// detached stream is harmless and reports failure: Read and Write 0,
// IsEof true (there is nothing to read), GetLength, SetLength, the seeks,
// Truncate, Clear and Tell -1, Skip 0, Rewind and Flush do nothing.
#pragma once

#include <cstdint>
#include <cstdio>

#include "base/stream.h"

namespace Tessor {
namespace Base {

class FileStream : public Stream {
public:
  FileStream() = default;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;
  ~FileStream() override;

  uint32_t Read(void* buffer, uint32_t size) override;
  uint32_t Write(const void* bytes, uint32_t size) override;
  bool IsEof() override;
  // Counts bytes still in the stdio buffer too (the buffer is flushed).
  int32_t GetLength() override;
  int32_t SetLength(int32_t length) override;
  int32_t SeekFromCurrent(int32_t offset) override;
  int32_t SeekFromStart(int32_t offset) override;
  int32_t SeekFromEnd(int32_t offset) override;
  void Rewind() override;
  int32_t Skip(int32_t count) override;
  int32_t Truncate() override;
  int32_t Clear() override;
  int32_t Tell() override;

  // fopen with the given mode; on failure the stream stays detached and the
  // result is false. Any file attached before is closed first.
  bool Open(const char* path, const char* mode);
  // Takes ownership of an open FILE (closing any file attached before).
  void Attach(std::FILE* file);
  // Gives the file back to the caller without closing it.
  std::FILE* Detach();
  // Closes the attached file, if any; the result of fclose, 0 if detached.
  int Close();
  // fflush of the file; 0 if detached.
  int Flush();
  bool IsAttached() const { return file_ != nullptr; }

private:
  std::FILE* file_ = nullptr;
};

}  // namespace Base
}  // namespace Tessor
