#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/RunLog.h"
#include "app/Text.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using kv::app::AppendLogLine;
using kv::app::FormatLogLine;
using kv::test::FolderNames;
using kv::test::ReadTestFile;
using kv::test::TempFolder;
using kv::test::WriteTestFile;

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(RunLogLine, PadsEveryFieldToTwoCharacters) {
  struct Case {
    const char* name;
    std::tm time;
    bool timeKnown;
    const char* message;
    const char* line;
  } const cases[] = {
      {"3 March 2016, 09:05:07", MakeTime(2016, 3, 3, 9, 5, 7), true, "Finish Update.",
       "2016- 3- 3  9: 5: 7 : \tUpdateModule\tFinish Update."},
      {"midnight, 1 January 2017", MakeTime(2017, 1, 1, 0, 0, 0), true,
       "=====================", "2017- 1- 1  0: 0: 0 : \tUpdateModule\t====================="},
      {"two-digit fields", MakeTime(2023, 12, 31, 23, 59, 59), true, "x",
       "2023-12-31 23:59:59 : \tUpdateModule\tx"},
      {"leap second", MakeTime(2016, 12, 31, 23, 59, 60), true, "x",
       "2016-12-31 23:59:60 : \tUpdateModule\tx"},
      {"local time unknown", std::tm{}, false, "Update failure.Error Code:2",
       " 0- 0- 0 -1:-1:-1 : \tUpdateModule\tUpdate failure.Error Code:2"},
      {"empty message", MakeTime(2016, 3, 3, 9, 5, 7), true, "",
       "2016- 3- 3  9: 5: 7 : \tUpdateModule\t"},
      {"message with tabs and non-ASCII text", MakeTime(2016, 3, 3, 9, 5, 7), true, "a\tb 中文",
       "2016- 3- 3  9: 5: 7 : \tUpdateModule\ta\tb 中文"},
      {"year beyond four digits", MakeTime(2147483647, 1, 1, 0, 0, 0), true, "x",
       "2147483647- 1- 1  0: 0: 0 : \tUpdateModule\tx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatLogLine(c.timeKnown ? &c.time : nullptr, c.message), c.line) << c.name;
  }
}

// The file's bytes as UTF-8 lines, checking the encoding on the way: UTF-16
// little-endian, no byte-order mark, every line ended by CR LF.
std::vector<std::string> DecodeLog(const std::string& bytes) {
  EXPECT_EQ(bytes.size() % 2, 0u);
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  EXPECT_FALSE(units.starts_with(u"\uFEFF")) << "no byte-order mark";
  EXPECT_TRUE(units.empty() || units.ends_with(u"\r\n")) << "ends with CR LF";
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = units.find(u"\r\n", start)) != std::u16string::npos;
       start = end + 2) {
    lines.push_back(kv::app::Utf16ToUtf8(units.substr(start, end - start)));
  }
  return lines;
}

// The message of a well-formed line; fails the test for any other line.
std::string MessageOf(const std::string& line) {
  static const std::regex kLine(
      R"(^\d{4}-( [1-9]|1[0-2])-( [1-9]|[12]\d|3[01]) ( \d|1\d|2[0-3]):( \d|[1-5]\d):( \d|[1-5]\d|60) : 	UpdateModule	([^]*)$)");
  std::smatch match;
  EXPECT_TRUE(std::regex_match(line, match, kLine)) << line;
  return match.size() == 7 ? match[6].str() : std::string();
}

// The line must carry the local time of some second between `before` and `after`.
void ExpectStampedBetween(const std::string& line, std::time_t before, std::time_t after,
                          const std::string& message) {
  bool found = false;
  for (std::time_t t = before; t <= after && !found; ++t) {
    std::tm local{};
    localtime_r(&t, &local);
    found = line == FormatLogLine(&local, message);
  }
  EXPECT_TRUE(found) << line;
}

TEST(RunLogFile, FirstLineCreatesTheFileAndLaterLinesAppend) {
  TempFolder folder;
  const fs::path log = folder / "update.log";
  const std::string messages[] = {
      "Finish download,current file md5=d41d8cd98f00b204e9800998ecf8427e",
      "Update success.Current Version:1.0.0.9", "=====================", "中文 é 😀"};
  const std::time_t before = std::time(nullptr);
  for (const std::string& message : messages) {
    EXPECT_EQ(AppendLogLine(log, message), 0) << message;
  }
  const std::time_t after = std::time(nullptr);

  const std::string bytes = ReadTestFile(log);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE") << "no byte-order mark";
  EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\r\0\n\0", 4));
  // U+4E2D and U+1F600 (a surrogate pair) stored low byte first.
  EXPECT_NE(bytes.find("\x2D\x4E"), std::string::npos);
  EXPECT_NE(bytes.find("\x3D\xD8\x00\xDE", 0, 4), std::string::npos);

  const std::vector<std::string> lines = DecodeLog(bytes);
  ASSERT_EQ(lines.size(), std::size(messages));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(MessageOf(lines[i]), messages[i]);
    ExpectStampedBetween(lines[i], before, after, messages[i]);
  }
}

TEST(RunLogFile, ExistingContentIsNeverTruncated) {
  struct Case {
    const char* name;
    std::string existing;
  } const cases[] = {
      {"empty file", ""},
      {"earlier lines", std::string("2\0000\0001\0006\0\r\0\n\0", 12)},
      {"bytes that are no log at all", std::string("\xFF\xFE\x00garbage\r\n", 12)},
      {"a large log", std::string(3 * 1024 * 1024, 'x')},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const fs::path log = folder / "update.log";
    WriteTestFile(log, c.existing);
    EXPECT_EQ(AppendLogLine(log, "Finish Update."), 0) << c.name;
    const std::string bytes = ReadTestFile(log);
    ASSERT_GT(bytes.size(), c.existing.size()) << c.name;
    EXPECT_TRUE(bytes.compare(0, c.existing.size(), c.existing) == 0) << c.name;
    const std::vector<std::string> added = DecodeLog(bytes.substr(c.existing.size()));
    ASSERT_EQ(added.size(), 1u) << c.name;
    EXPECT_EQ(MessageOf(added[0]), "Finish Update.") << c.name;
  }
}

TEST(RunLogFile, LineIsLostWhenTheFolderIsMissing) {
  TempFolder folder;
  EXPECT_EQ(AppendLogLine(folder / "res/update.log", "Finish Update."), -1);
  EXPECT_TRUE(FolderNames(folder.path()).empty());
  WriteTestFile(folder / "file", "x");
  EXPECT_EQ(AppendLogLine(folder / "file/update.log", "Finish Update."), -1);
}

TEST(RunLogFile, ALineCutShortByAFullDiskIsTakenBack) {
  TempFolder folder;
  const fs::path log = folder / "update.log";
  const std::string existing(1000, 'x');
  WriteTestFile(log, existing);
  // A file-size limit just past the current end makes the write stop part-way,
  // as a full disk would. It is set in a child so the test process keeps its limits.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{existing.size() + 11, existing.size() + 11};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(AppendLogLine(log, "Finish Update.") == -1 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write is reported";
  EXPECT_EQ(ReadTestFile(log), existing);
}

// Writers append "<writer> <n>" for n = 0, 1, ...; every line must come out
// whole, and each writer's lines complete and in order.
void ExpectWholeLinesFrom(const std::vector<std::string>& lines, int writers, int perWriter) {
  std::map<std::string, int> next;
  for (const std::string& line : lines) {
    const std::string message = MessageOf(line);
    const std::size_t blank = message.find(' ');
    ASSERT_NE(blank, std::string::npos) << line;
    const std::string writer = message.substr(0, blank);
    EXPECT_EQ(message.substr(blank + 1), std::to_string(next[writer]++)) << line;
  }
  EXPECT_EQ(next.size(), static_cast<std::size_t>(writers));
  for (const auto& [writer, count] : next) {
    EXPECT_EQ(count, perWriter) << writer;
  }
}

std::string LongWriterName(int writer) {
  // Long lines make a torn write far more likely to show.
  return "writer" + std::to_string(writer) + std::string(700, static_cast<char>('a' + writer));
}

TEST(RunLogFile, ConcurrentProcessesNeverInterleaveInsideALine) {
  constexpr int kProcesses = 3;
  constexpr int kLines = 300;
  TempFolder folder;
  const fs::path log = folder / "update.log";
  std::vector<pid_t> children;
  for (int writer = 0; writer < kProcesses; ++writer) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int failures = 0;
      for (int n = 0; n < kLines; ++n) {
        failures += AppendLogLine(log, LongWriterName(writer) + " " + std::to_string(n)) != 0;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer lost lines";
  }
  ExpectWholeLinesFrom(DecodeLog(ReadTestFile(log)), kProcesses, kLines);
}

TEST(RunLogFile, ConcurrentThreadsNeverInterleaveInsideALine) {
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  TempFolder folder;
  const fs::path log = folder / "update.log";
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int writer = 0; writer < kThreads; ++writer) {
    threads.emplace_back([&, writer] {
      for (int n = 0; n < kLines; ++n) {
        failures[writer] +=
            AppendLogLine(log, LongWriterName(writer) + " " + std::to_string(n)) != 0;
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
  ExpectWholeLinesFrom(DecodeLog(ReadTestFile(log)), kThreads, kLines);
}

}  // namespace
