#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

#include <unistd.h>

#include "base/error_text.h"
#include "base/filestream.h"
#include "base/log.h"

using namespace Tessor::Base;

namespace {

const std::string kFunction = "Tessor::Base::Timer::Initialize";
const std::string kMessage = "Zainicjowano Zegar (zainicjowano czas uruchomienia) prawidlowo.";
const std::string kPlain = "OK:" + kFunction + ")" + kMessage;
const std::string kGrey = "<div style=\"color:#999999;display:inline;\">";

uint32_t pendingGlError = 0;
uint32_t FakeGlError() { return pendingGlError; }

// What reaches file descriptor 1 (std::cout and raw writes alike) while
// the function runs.
template <typename Function>
std::string CaptureStdout(Function function) {
  std::fflush(stdout);
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "no pipe";
  int saved = dup(STDOUT_FILENO);
  dup2(pipeEnds[1], STDOUT_FILENO);
  close(pipeEnds[1]);
  function();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);  // the last write end goes, so read sees EOF
  close(saved);
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  close(pipeEnds[0]);
  return text;
}

class LogTest : public ::testing::Test {
protected:
  void SetUp() override {
    QueryLocalTime = [] { return ClockFields{14, 3, 7}; };
    file = std::tmpfile();
    LogFile.Attach(file);
  }
  void TearDown() override {
    LogOutputs = 0;
    LogFlushFile = false;
    LogFile.Close();
    LogHistory.clear();
    QueryLocalTime = SystemLocalTime;
    QueryGlError = savedGlError;
  }

  static std::string FileText() {
    std::string text(static_cast<size_t>(LogFile.GetLength()), '\0');
    LogFile.Rewind();
    LogFile.Read(&text[0], static_cast<uint32_t>(text.size()));
    LogFile.Clear();  // the position stays, so go back to the start too
    LogFile.Rewind();
    return text;
  }

  // One call with the file and history channels on; returns {HTML, plain}.
  static std::pair<std::string, std::string> Log(const char* status, const char* path,
                                                 int32_t line, ErrorFamily family,
                                                 int32_t code = 0, int errorNumber = 0) {
    LogHistory.clear();
    LogOutputs = LogToFile | LogToHistory;
    errno = errorNumber;
    Logger().Write(kFunction.c_str(), kMessage.c_str(), status, path, line, family, code);
    LogOutputs = 0;
    return {FileText(), LogHistory.empty() ? "" : LogHistory.back()};
  }

  uint32_t (*savedGlError)() = QueryGlError;
  std::FILE* file = nullptr;
};

}  // namespace

TEST_F(LogTest, EntryRenderings) {
  EXPECT_EQ(Log("OK", "..\\..\\source\\base\\ktimer", 88, None),
            std::make_pair("<div class='green'>" + kGrey + "14:03:07|ktimer(88)" + kFunction +
                               ": </div>" + kMessage + "</div>",
                           kPlain));
  const std::pair<const char*, const char*> classes[] = {
      {"INFO", "'yellow'>"}, {"WARN", "'yellow'>"}, {"ok", "'yellow'>"},
      {"ERROR", "'red'>"}, {"OK", "'green'>"}};
  for (const auto& c : classes)
    EXPECT_EQ(Log(c.first, "a", 1, None).first.rfind(std::string("<div class=") + c.second, 0), 0u);
  EXPECT_NE(Log("OK", "ktimer", 0, None).first.find("|ktimer(0)Tessor"), std::string::npos);
  EXPECT_NE(Log("OK", "src\\base\\", -5, None).first.find("|(-5)Tessor"), std::string::npos);
  QueryLocalTime = [] { return ClockFields{9, 5, 3}; };
  EXPECT_EQ(Logger::TimeStamp(), "09:05:03");
}

TEST_F(LogTest, ErrorTextEndsBothRenderings) {
  const std::string fallback = " : nie mozna pobrac opisu kodu bledu, lub brak kodu bledu.";
  struct Case {
    int32_t family, code, errorNumber;
    uint32_t glError;
    std::string text;
  } cases[] = {
      {None, 1, ENOENT, 0x0500, ""}, {7, 1, 0, 0, ""}, {-1, 1, 0, 0, ""},
      {Zlib, 1, 0, 0, " : OK - Enough output space"}, {Zlib, 3, 0, 0, " : "},
      {OpenAL, 40962, 0, 0, " : Invalid parameter passed to AL call"},
      {OpenAL, 40963, 0, 0, " : Invalid enum parameter value"}, {OpenAL, 5, 0, 0, " : "},
      {OpenGL, 0, 0, 0x0506, " : invalid framebuffer operation"},
      {OpenGL, 0, 0, 0x0507, " : unknown error 0x0507"},
      {Win32, 0, ENOENT, 0, " : No such file or directory"},
      {Win32, 0, 0, 0, fallback}, {Win32, 0, 99999, 0, fallback},
  };
  // Without a GL context nothing is ever pending.
  EXPECT_EQ(Log("OK", "a", 1, OpenGL).second, kPlain + " : no error");
  QueryGlError = FakeGlError;
  for (const Case& c : cases) {
    pendingGlError = c.glError;
    auto entry = Log("OK", "a", 1, static_cast<ErrorFamily>(c.family), c.code, c.errorNumber);
    EXPECT_EQ(entry.second, kPlain + c.text) << c.family << " " << c.code;
    EXPECT_EQ(entry.first.substr(entry.first.size() - c.text.size() - 6), c.text + "</div>");
  }
}

TEST_F(LogTest, ChannelsGetOnlyTheirRendering) {
  const std::pair<uint32_t, std::string> cases[] = {
      {0, ""}, {LogToConsole, kPlain + "\n"}, {LogToStdout, kPlain + "\n"}, {LogToHistory, ""}};
  for (const auto& c : cases) {
    LogHistory.clear();
    LogOutputs = c.first;
    EXPECT_EQ(CaptureStdout([] {
                Logger().Write(kFunction.c_str(), kMessage.c_str(), "OK", "ktimer", 88, None);
              }),
              c.second) << c.first;
    EXPECT_EQ(LogHistory, c.first == LogToHistory ? std::vector<std::string>{kPlain}
                                                  : std::vector<std::string>{});
    EXPECT_EQ(LogFile.GetLength(), 0);
  }
  // The file gets the fragments back to back, and Output's lines after CR LF.
  LogOutputs = LogToFile;
  Logger().Write("f", "m", "OK", "p", 1, None);
  Logger().Write("g", "n", "INFO", "p", 2, None);
  EXPECT_EQ(FileText(), "<div class='green'>" + kGrey + "14:03:07|p(1)f: </div>m</div>" +
                            "<div class='yellow'>" + kGrey + "14:03:07|p(2)g: </div>n</div>");
  EXPECT_EQ(LogOutputs, uint32_t{LogToFile});
  Logger log;
  EXPECT_EQ(&log.Output("line"), &log);
  EXPECT_EQ(FileText(), "\r\nline");
}

TEST_F(LogTest, FlushSwitchAndMissingFile) {
  LogOutputs = LogToFile | LogToHistory;
  LogFlushFile = true;
  Logger().Write("f", "m", "OK", "p", 1, None);
  EXPECT_GT(lseek(fileno(file), 0, SEEK_END), 0);  // on disk without a flush of ours

  LogFile.Close();
  Logger log;
  log.Write("f", "m", "OK", "p", 1, None);
  log.Output("x").WriteToFile("y");
  log.Write(nullptr, nullptr, nullptr, nullptr, 0, None);
  EXPECT_EQ(LogHistory, (std::vector<std::string>{"OK:f)m", "OK:f)m", "x", ":)"}));
}
