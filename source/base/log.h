// Tessor::Base log switches and the log call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Tessor {
namespace Base {

class FileStream;

// Bits of LogOutputs.
enum : uint32_t {
  LogToFile = 1,
  LogToConsole = 2,
  LogToHistory = 4,
  LogToStdout = 8,
};

// Where the error text of an entry comes from. Values outside the list act
// as None.
enum ErrorFamily : int32_t {
  OpenGL = 0,
  Win32 = 1,
  None = 2,
  Zlib = 3,
  OpenAL = 4,
};

extern uint32_t LogOutputs;
extern bool LogFlushFile;
extern FileStream LogFile;
extern std::vector<std::string> LogHistory;

class Logger {
public:
  // code: the zlib status or OpenAL error described by those two families.
  void Write(const char* function, const char* message, const char* status,
             const char* sourcePath, int32_t line, ErrorFamily family,
             int32_t code = 0);
  Logger& Output(const std::string& line);
  void WriteToFile(std::string text);
  static std::string TimeStamp();
};

}  // namespace Base
}  // namespace Tessor
