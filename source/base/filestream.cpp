#include "base/filestream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace Tessor {
namespace Base {

namespace {

// Positions beyond what a 32-bit result can say are reported as failure
// rather than wrapped.
int32_t ClampPosition(long long position) {
  if (position < 0 || position > INT32_MAX) return -1;
  return static_cast<int32_t>(position);
}

}  // namespace

FileStream::~FileStream() { Close(); }

uint32_t FileStream::Read(void* buffer, uint32_t size) {
  if (file_ == nullptr || buffer == nullptr) return 0;
  return static_cast<uint32_t>(std::fread(buffer, 1, size, file_));
}

uint32_t FileStream::Write(const void* bytes, uint32_t size) {
  if (file_ == nullptr || bytes == nullptr) return 0;
  return static_cast<uint32_t>(std::fwrite(bytes, 1, size, file_));
}

bool FileStream::IsEof() {
  if (file_ == nullptr) return true;
  return std::feof(file_) != 0;
}

int32_t FileStream::GetLength() {
  if (file_ == nullptr) return -1;
  std::fflush(file_);
  struct stat status {};
  if (fstat(fileno(file_), &status) != 0) return -1;
  return ClampPosition(status.st_size);
}

int32_t FileStream::SetLength(int32_t length) {
  if (file_ == nullptr) return -1;
  // Bytes still buffered would otherwise land after the cut.
  std::fflush(file_);
  return ftruncate(fileno(file_), length) == 0 ? 0 : -1;
}

int32_t FileStream::SeekFromCurrent(int32_t offset) {
  if (file_ == nullptr) return -1;
  return std::fseek(file_, offset, SEEK_CUR);
}

int32_t FileStream::SeekFromStart(int32_t offset) {
  if (file_ == nullptr) return -1;
  return std::fseek(file_, offset, SEEK_SET);
}

int32_t FileStream::SeekFromEnd(int32_t offset) {
  if (file_ == nullptr) return -1;
  return std::fseek(file_, offset, SEEK_END);
}

void FileStream::Rewind() {
  if (file_ != nullptr) std::rewind(file_);
}

int32_t FileStream::Skip(int32_t count) {
  if (file_ == nullptr) return 0;
  std::fseek(file_, count, SEEK_CUR);
  return count;
}

int32_t FileStream::Truncate() { return SetLength(Tell()); }

int32_t FileStream::Clear() { return SetLength(0); }

int32_t FileStream::Tell() {
  if (file_ == nullptr) return -1;
  return ClampPosition(std::ftell(file_));
}

bool FileStream::Open(const char* path, const char* mode) {
  Close();
  if (path == nullptr || mode == nullptr) return false;
  file_ = std::fopen(path, mode);
  return file_ != nullptr;
}

void FileStream::Attach(std::FILE* file) {
  if (file == file_) return;
  Close();
  file_ = file;
}

std::FILE* FileStream::Detach() {
  std::FILE* file = file_;
  file_ = nullptr;
  return file;
}

int FileStream::Close() {
  if (file_ == nullptr) return 0;
  int result = std::fclose(file_);
  file_ = nullptr;
  return result;
}

int FileStream::Flush() {
  if (file_ == nullptr) return 0;
  return std::fflush(file_);
}

}  // namespace Base
}  // namespace Tessor
