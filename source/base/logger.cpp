// Tessor::Base::Logger: turns one report into an HTML fragment and a plain
// line and sends each to the outputs switched on in LogOutputs.
#include <unistd.h>

#include <ctime>
#include <iostream>

#include "base/error_text.h"
#include "base/filestream.h"
#include "base/log.h"
#include "base/numtext.h"

namespace Tessor {
namespace Base {

namespace {

// A null text from a careless caller is taken as empty, not dereferenced.
const char* Text(const char* text) { return text != nullptr ? text : ""; }

const char* ColourClass(const char* status) {
  const std::string word = Text(status);
  if (word == "INFO") return "'yellow'>";
  if (word == "ERROR") return "'red'>";
  if (word == "OK") return "'green'>";
  return "'yellow'>";
}

// Source paths use backslash separators whatever the host.
std::string FileName(const char* sourcePath) {
  const std::string path = Text(sourcePath);
  std::string::size_type slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AppendTwoDigits(int32_t value, std::string& out) {
  if (value < 10) out += '0';
  std::string digits;
  IntToString(value, digits);
  out += digits;
}

}  // namespace

ClockFields SystemLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return ClockFields{0, 0, 0};
  return ClockFields{local.tm_hour, local.tm_min, local.tm_sec};
}

ClockFields (*QueryLocalTime)() = SystemLocalTime;

std::string Logger::TimeStamp() {
  const ClockFields clock = QueryLocalTime();
  std::string stamp;
  for (const char* p = "h:m:s"; *p != '\0'; ++p) {
    if (*p == 'h') AppendTwoDigits(clock.hour, stamp);
    else if (*p == 'm') AppendTwoDigits(clock.minute, stamp);
    else if (*p == 's') AppendTwoDigits(clock.second, stamp);
    else stamp += *p;
  }
  return stamp;
}

void Logger::Write(const char* function, const char* message, const char* status, const char* sourcePath,
                   int32_t line, ErrorFamily family, int32_t code) {
  // First, before anything else can disturb errno or the GL error.
  const std::string error = ErrorText(family, code);
  std::string lineText;
  IntToString(line, lineText);

  std::string html = "<div class=";
  html += ColourClass(status);
  html += "<div style=\"color:#999999;display:inline;\">";
  html += TimeStamp() + "|" + FileName(sourcePath) + "(" + lineText + ")";
  html += Text(function);
  html += ": </div>";
  html += Text(message);
  html += error + "</div>";
  if ((LogOutputs & LogToFile) != 0) {
    LogFile.Write(html.data(), static_cast<uint32_t>(html.size()));
    if (LogFlushFile) LogFile.Flush();
  }

  std::string plain = Text(status);
  plain += ":";
  plain += Text(function);
  plain += ")";
  plain += Text(message);
  plain += error;
  // The file holds only HTML fragments, so the plain line skips it.
  const uint32_t saved = LogOutputs;
  LogOutputs &= ~static_cast<uint32_t>(LogToFile);
  Output(plain);
  LogOutputs = saved;
}

Logger& Logger::Output(const std::string& line) {
  if ((LogOutputs & LogToFile) != 0) WriteToFile("\r\n");
  if ((LogOutputs & LogToStdout) != 0) std::cout << line << std::endl;
  if ((LogOutputs & LogToConsole) != 0) {
    // One write, so the line and its LF arrive together.
    const std::string bytes = line + '\n';
    ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
    (void)written;
  }
  if ((LogOutputs & LogToHistory) != 0) LogHistory.push_back(line);
  WriteToFile(line);
  if ((LogOutputs & LogToFile) != 0 && LogFlushFile) LogFile.Flush();
  return *this;
}

void Logger::WriteToFile(std::string text) {
  if (LogOutputs == 0 || (LogOutputs & LogToFile) == 0) return;
  LogFile.Write(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace Base
}  // namespace Tessor
