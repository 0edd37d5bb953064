#include <gtest/gtest.h>

#include <cerrno>

#include "base/error_text.h"
#include "base/filestream.h"

using namespace Tessor::Base;

const std::string kFunction = "Tessor::Base::Timer::Initialize";
const std::string kMessage = "Zainicjowano Zegar (zainicjowano czas uruchomienia) prawidlowo.";
const std::string kPlain = "OK:" + kFunction + ")" + kMessage;
const std::string kHtml =
    "<div class='green'><div style=\"color:#999999;display:inline;\">14:03:07|ktimer(88)" + kFunction +
    ": </div>" + kMessage;

static std::string Contents(FileStream& stream) {
  std::string text(static_cast<size_t>(stream.GetLength()), '\0');
  stream.Rewind();
  stream.Read(&text[0], static_cast<uint32_t>(text.size()));
  return text;
}

// The timer's entry at 14:03:07 with the given outputs on; returns the bytes
// {of the file, on fd 1}.
static std::pair<std::string, std::string> Log(uint32_t outputs, const char* status = "OK",
                                               int32_t family = None, int32_t code = 0, int error = 0) {
  QueryLocalTime = [] { return ClockFields{14, 3, 7}; };
  LogFile.Attach(std::tmpfile());
  LogHistory.clear();
  testing::internal::CaptureStdout();  // fd 1 itself, so raw writes count too
  LogOutputs = outputs;
  errno = error;
  Logger().Write(kFunction.c_str(), kMessage.c_str(), status, "..\\..\\source\\base\\ktimer", 88,
                 static_cast<ErrorFamily>(family), code);
  LogOutputs = 0;
  return {Contents(LogFile), testing::internal::GetCapturedStdout()};
}

TEST(Logger, ExampleEntryChannelsAndStatusClasses) {
  const std::pair<uint32_t, std::pair<std::string, std::string>> routes[] = {
      {LogToFile, {kHtml + "</div>", ""}},
      {LogToHistory, {"", ""}},
      {LogToConsole, {"", kPlain + "\n"}},
      {LogToStdout, {"", kPlain + "\n"}}};
  for (const auto& c : routes) {
    EXPECT_EQ(Log(c.first), c.second) << c.first;
    EXPECT_EQ(LogHistory, std::vector<std::string>(c.first == LogToHistory, kPlain));
  }
  LogOutputs = LogToFile;  // Output's lines reach the file after CR LF
  Logger().Output("line").Output("next");
  EXPECT_EQ(Contents(LogFile), "\r\nline\r\nnext");
  EXPECT_EQ(Log(LogToFile, "WARN").first.substr(0, 20), "<div class='yellow'>");
  EXPECT_EQ(Log(LogToFile, "ERROR").first.substr(0, 17), "<div class='red'>");
}

TEST(Logger, ErrorTextEndsBothRenderings) {
  const struct {
    int32_t family, code, error;
    std::string text;
  } cases[] = {{None, 1, ENOENT, ""},
               {Zlib, 1, 0, " : OK - Enough output space"},
               {Win32, 0, ENOENT, " : No such file or directory"},
               {Win32, 0, 99999, " : nie mozna pobrac opisu kodu bledu, lub brak kodu bledu."}};
  for (const auto& c : cases) {
    EXPECT_EQ(Log(LogToFile | LogToHistory, "OK", c.family, c.code, c.error).first, kHtml + c.text + "</div>")
        << c.family << " " << c.code;
    EXPECT_EQ(LogHistory, std::vector<std::string>{kPlain + c.text});
  }
}
