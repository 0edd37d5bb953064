// Tessor::Base::Stream: bytes in and out without knowing where they live.
//
// Offsets, lengths and positions are signed 32-bit byte counts, sizes are
// unsigned 32-bit. Results that can fail pass the runtime's convention
// through: -1 (or non-zero for seeks) on failure, short counts for Read and
// Write. The order of the operations below is the order of the virtual
// table and must not change.
#pragma once

#include <cstdint>

namespace Tessor {
namespace Base {

class Stream {
public:
  virtual ~Stream();
  virtual uint32_t Read(void* buffer, uint32_t size) = 0;
  virtual uint32_t Write(const void* bytes, uint32_t size) = 0;
  virtual bool IsEof() = 0;
  virtual int32_t GetLength() = 0;
  virtual int32_t SetLength(int32_t length) = 0;
  virtual int32_t SeekFromCurrent(int32_t offset) = 0;
  virtual int32_t SeekFromStart(int32_t offset) = 0;
  virtual int32_t SeekFromEnd(int32_t offset) = 0;
  virtual void Rewind() = 0;
  // Returns the count given, not the distance actually moved.
  virtual int32_t Skip(int32_t count) = 0;
  // The stream ends at the current position (Tell, then SetLength).
  virtual int32_t Truncate() = 0;
  // The stream becomes empty (SetLength 0); the position is not moved.
  virtual int32_t Clear() = 0;
  virtual int32_t Tell() = 0;
};

}  // namespace Base
}  // namespace Tessor
