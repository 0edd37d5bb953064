// Tessor::Base log switches and the log call.
//
// Every output starts off. A reporter tests LogOutputs before it calls
// Logger::Write, so with the switches at their start values the log costs
// nothing and writes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// X11's headers define None as a macro; keep the enumerator below usable in
// a file that has included them first.
#pragma push_macro("None")
#undef None

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
// as None. The families are the engine library's, which serves programs with
// OpenGL and OpenAL too; the game itself leaves every log output off.
enum ErrorFamily : int32_t {
  OpenGL = 0,
  Win32 = 1,
  None = 2,
  Zlib = 3,
  OpenAL = 4,
};

extern uint32_t LogOutputs;
extern bool LogFlushFile;
// Detached at start; attach a file (FileStream::Open or Attach) before
// setting LogToFile, otherwise file output is silently dropped.
extern FileStream LogFile;
extern std::vector<std::string> LogHistory;

// Local wall-clock fields for the time stamp of an entry.
struct ClockFields {
  int32_t hour;
  int32_t minute;
  int32_t second;
};

// Replaceable so tests can fix the stamp; by default time() + localtime_r.
extern ClockFields (*QueryLocalTime)();
ClockFields SystemLocalTime();

class Logger {
public:
  // code: the zlib status or OpenAL error described by those two families.
  void Write(const char* function, const char* message, const char* status, const char* sourcePath,
             int32_t line, ErrorFamily family, int32_t code = 0);
  Logger& Output(const std::string& line);
  void WriteToFile(std::string text);
  static std::string TimeStamp();
};

}  // namespace Base
}  // namespace Tessor

#pragma pop_macro("None")
