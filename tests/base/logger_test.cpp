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

// The timer's entry at 14:03:07 with the given outputs on, which the write
// must leave on; returns the bytes {of the file, on fd 1}.
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
  const uint32_t after = LogOutputs;
  LogOutputs = 0;
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(after, outputs) << "the next entry would go nowhere";
  return {Contents(LogFile), out};
}

// Each output gets the entry in its own rendering, the error text (if the
// family has one) at its end, and no other output gets anything.
TEST(Logger, ChannelsErrorTextAndStatusClasses) {
  const std::string noText = " : nie mozna pobrac opisu kodu bledu, lub brak kodu bledu.";
  const struct {
    uint32_t outputs;
    int32_t family, code, error;
    std::string file, out;
  } cases[] = {
      {LogToFile, None, 1, ENOENT, kHtml + "</div>", ""},
      {LogToConsole, None, 0, 0, "", kPlain + "\n"},
      {LogToStdout | LogToFile, Zlib, 1, 0, kHtml + " : OK - Enough output space</div>",
       kPlain + " : OK - Enough output space\n"},
      {LogToStdout, Win32, 0, ENOENT, "", kPlain + " : No such file or directory\n"},
      {LogToFile, Win32, 0, 99999, kHtml + noText + "</div>", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Log(c.outputs, "OK", c.family, c.code, c.error), std::pair(c.file, c.out)) << c.family;
    EXPECT_TRUE(LogHistory.empty());
  }
  Log(LogToHistory, "OK", Win32, 0, ENOENT);
  EXPECT_EQ(LogHistory, std::vector<std::string>{kPlain + " : No such file or directory"});
  LogOutputs = LogToFile;  // Output's lines reach the file after CR LF
  Logger().Output("line").Output("next");
  EXPECT_EQ(Contents(LogFile), "\r\nline\r\nnext");
  EXPECT_EQ(Log(LogToFile, "WARN").first.substr(0, 20), "<div class='yellow'>");
  EXPECT_EQ(Log(LogToFile, "ERROR").first.substr(0, 17), "<div class='red'>");
}
