#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "app/CommandLine.h"

namespace {

using kv::app::LaunchMode;
using kv::app::LaunchRequest;
using kv::app::ParseLeadingInteger;
using kv::app::SelectLaunchMode;

const char* ModeName(LaunchMode mode) {
  switch (mode) {
    case LaunchMode::kOrdinary:
      return "ordinary";
    case LaunchMode::kUpdateHandOver:
      return "hand-over";
    case LaunchMode::kUninstallConfirm:
      return "uninstall confirm";
    case LaunchMode::kUninstallRemoval:
      return "uninstall removal";
    case LaunchMode::kGameWindow:
      return "game window";
  }
  return "?";
}

struct ModeCase {
  const char* name;
  std::string commandLine;
  LaunchMode mode;
  std::string path;
  std::int64_t frameHandle;
  std::string gameUrl;
};

TEST(CommandLine, SelectsTheModeOfEveryForm) {
  const ModeCase cases[] = {
      {"empty", "", LaunchMode::kOrdinary, "", 0, ""},
      {"shortcut argument", "1", LaunchMode::kOrdinary, "", 0, ""},
      {"-d alone", "-d", LaunchMode::kOrdinary, "", 0, ""},
      {"-d with blank and path", "-d C:\\x.exe", LaunchMode::kUpdateHandOver, "C:\\x.exe", 0, ""},
      {"-d without separator skips the third character", "-dC:\\x.exe", LaunchMode::kUpdateHandOver,
       ":\\x.exe", 0, ""},
      {"-d with only a separator", "-d ", LaunchMode::kUpdateHandOver, "", 0, ""},
      {"-d path with blanks, unquoted", "-d /home/a b/kovr/korvane", LaunchMode::kUpdateHandOver,
       "/home/a b/kovr/korvane", 0, ""},
      {"-d path keeps quotes", "-d \"/x y\"", LaunchMode::kUpdateHandOver, "\"/x y\"", 0, ""},
      {"-d separator is a multi-byte character", "-d\xC3\xA9/p", LaunchMode::kUpdateHandOver, "/p",
       0, ""},
      {"-d and ending in -u is a hand-over", "-d x -u", LaunchMode::kUpdateHandOver, "x -u", 0, ""},
      {"-d wins over -frameWnd", "-d -frameWnd=5 ", LaunchMode::kUpdateHandOver, "-frameWnd=5 ", 0,
       ""},
      {"-u alone ends in -u", "-u", LaunchMode::kUninstallConfirm, "", 0, ""},
      {"shortcut line ending in -u", "/opt/korvane -u", LaunchMode::kUninstallConfirm, "", 0, ""},
      {"-u prefix and -u end is the confirmation", "-u x -u", LaunchMode::kUninstallConfirm, "", 0,
       ""},
      {"-u with path", "-u /home/a b/korvane", LaunchMode::kUninstallRemoval, "/home/a b/korvane",
       0, ""},
      {"-u without separator", "-ux/korvane", LaunchMode::kUninstallRemoval, "/korvane", 0, ""},
      {"-u then -frameWnd", "-u -frameWnd=5 ", LaunchMode::kUninstallRemoval, "-frameWnd=5 ", 0,
       ""},
      {"-U is not -u (case-sensitive)", "-U x", LaunchMode::kOrdinary, "", 0, ""},
      {"-D is not -d (case-sensitive)", "-D x", LaunchMode::kOrdinary, "", 0, ""},
      {"ending in -U", "x -U", LaunchMode::kOrdinary, "", 0, ""},
      {"game window with url", "-frameWnd=1234 -gameurl=http://h/p?a=1", LaunchMode::kGameWindow,
       "", 1234, "http://h/p?a=1"},
      {"game window, url with blanks", "-frameWnd=1234 -gameurl=http://h/a b c",
       LaunchMode::kGameWindow, "", 1234, "http://h/a b c"},
      {"game window without url", "-frameWnd=77 ", LaunchMode::kGameWindow, "", 77, ""},
      {"no blank after the number", "-frameWnd=1234", LaunchMode::kOrdinary, "", 0, ""},
      {"url before -frameWnd is not read", "-gameurl=x -frameWnd=1234 ", LaunchMode::kGameWindow,
       "", 1234, ""},
      {"hex handle reads as 0", "-frameWnd=0x10 ", LaunchMode::kOrdinary, "", 0, ""},
      {"handle 0 with url", "-frameWnd=0 -gameurl=http://h/", LaunchMode::kOrdinary, "", 0,
       "http://h/"},
      {"no -frameWnd but a url", "-gameurl=http://h/", LaunchMode::kOrdinary, "", 0, "http://h/"},
      {"handle with trailing garbage", "-frameWnd=12ab -gameurl=u", LaunchMode::kGameWindow, "", 12,
       "u"},
      {"negative handle", "-frameWnd=-5 ", LaunchMode::kGameWindow, "", -5, ""},
      {"plus sign", "-frameWnd=+9 ", LaunchMode::kGameWindow, "", 9, ""},
      {"tab before the digits is skipped", "-frameWnd=\t42 ", LaunchMode::kGameWindow, "", 42, ""},
      {"empty number", "-frameWnd= -gameurl=u", LaunchMode::kOrdinary, "", 0, "u"},
      {"marker inside other text", "prog -frameWnd=8 -gameurl=u", LaunchMode::kGameWindow, "", 8,
       "u"},
      {"first of two markers counts", "-frameWnd=3 -frameWnd=4 ", LaunchMode::kGameWindow, "", 3,
       ""},
      {"url marker twice: first after the blank", "-frameWnd=3 -gameurl=a-gameurl=b",
       LaunchMode::kGameWindow, "", 3, "a-gameurl=b"},
      {"handle overflow clamps", "-frameWnd=99999999999999999999999 ", LaunchMode::kGameWindow, "",
       std::numeric_limits<std::int64_t>::max(), ""},
      {"negative overflow clamps", "-frameWnd=-99999999999999999999999 ", LaunchMode::kGameWindow,
       "", std::numeric_limits<std::int64_t>::min(), ""},
      {"lower-case marker is not the marker", "-framewnd=5 ", LaunchMode::kOrdinary, "", 0, ""},
  };
  for (const ModeCase& c : cases) {
    const LaunchRequest got = SelectLaunchMode(c.commandLine);
    EXPECT_EQ(ModeName(got.mode), std::string(ModeName(c.mode))) << c.name;
    EXPECT_EQ(got.path, c.path) << c.name;
    EXPECT_EQ(got.frameHandle, c.frameHandle) << c.name;
    EXPECT_EQ(got.gameUrl, c.gameUrl) << c.name;
  }
}

TEST(CommandLine, ReadsLeadingIntegersLikeTheCLibrary) {
  struct Case {
    const char* text;
    std::int64_t value;
  } const cases[] = {
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"+", 0},
      {"0x10", 0},
      {"007", 7},
      {"  \t\n\v\f\r12", 12},
      {"--3", 0},
      {"+-3", 0},
      {"- 3", 0},
      {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
      {"9223372036854775808", std::numeric_limits<std::int64_t>::max()},
      {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      {"-9223372036854775809", std::numeric_limits<std::int64_t>::min()},
      {"123456789012345678901234567890", std::numeric_limits<std::int64_t>::max()},
      {"4294967296", 4294967296},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseLeadingInteger(c.text), c.value) << '"' << c.text << '"';
  }
  // The input is a view, not a C string: an embedded NUL ends the digits.
  EXPECT_EQ(ParseLeadingInteger(std::string_view("12\0"
                                                 "34",
                                                 5)),
            12);
}

TEST(CommandLine, LongAndOddCommandLinesAreHandled) {
  const std::string megabyte(1 << 20, 'x');
  struct Case {
    const char* name;
    std::string commandLine;
    LaunchMode mode;
    std::size_t pathSize;
    std::size_t urlSize;
  } const cases[] = {
      {"1 MB of text", megabyte, LaunchMode::kOrdinary, 0, 0},
      {"1 MB hand-over path", "-d " + megabyte, LaunchMode::kUpdateHandOver, megabyte.size(), 0},
      {"1 MB ending in -u", megabyte + "-u", LaunchMode::kUninstallConfirm, 0, 0},
      {"1 MB game url", "-frameWnd=5 -gameurl=" + megabyte, LaunchMode::kGameWindow, 0,
       megabyte.size()},
      {"1 MB of digits", "-frameWnd=" + std::string(1 << 20, '7') + " ", LaunchMode::kGameWindow, 0,
       0},
      {"1 MB of markers",
       [] {
         std::string s;
         while (s.size() < (1 << 20)) {
           s += "-frameWnd=";
         }
         return s;
       }(),
       LaunchMode::kOrdinary, 0, 0},
      {"embedded NUL", std::string("-d \0/x", 6), LaunchMode::kUpdateHandOver, 3, 0},
      {"truncated UTF-8 separator", "-d\xE2", LaunchMode::kUpdateHandOver, 0, 0},
      {"lone continuation byte as separator", "-d\x80/p", LaunchMode::kUpdateHandOver, 2, 0},
  };
  for (const auto& c : cases) {
    const LaunchRequest got = SelectLaunchMode(c.commandLine);
    EXPECT_EQ(ModeName(got.mode), std::string(ModeName(c.mode))) << c.name;
    EXPECT_EQ(got.path.size(), c.pathSize) << c.name;
    EXPECT_EQ(got.gameUrl.size(), c.urlSize) << c.name;
  }

  // Random bytes, often led by the markers, must only ever yield a request.
  std::mt19937 random(20160303);
  const std::string prefixes[] = {"", "-d", "-u", "-frameWnd=", "-frameWnd=1 -gameurl="};
  for (int round = 0; round < 2000; ++round) {
    std::string text = prefixes[round % std::size(prefixes)];
    const int length = static_cast<int>(random() % 64);
    for (int i = 0; i < length; ++i) {
      text += static_cast<char>(random() % 256);
    }
    const LaunchRequest got = SelectLaunchMode(text);
    EXPECT_LE(got.path.size(), text.size());
    EXPECT_LE(got.gameUrl.size(), text.size());
  }
}

}  // namespace
