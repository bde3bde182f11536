// Desktop entries that stand in for shell links: the escaping and quoting
// rules, the file the setup writes, and a round trip through the freedesktop
// tools (desktop-file-validate checks the file, `gio launch` starts it the way
// a GLib desktop does).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "install/DesktopEntry.h"
#include "install/Setup.h"
#include "tests/support/SandboxEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

using kv::install::ComposeDesktopEntry;
using kv::install::DesktopExecValue;
using kv::install::EscapeDesktopString;
using kv::install::QuoteExecArgument;
using kv::test::ReadTestFile;

struct TextCase {
  const char* name;
  std::string input;
  std::string expected;
};

TEST(DesktopEntry, EscapesStringValues) {
  const TextCase cases[] = {
      {"plain text", "Korvane", "Korvane"},
      {"non-ASCII", "《Korvane》", "《Korvane》"},
      {"backslash", "a\\b", "a\\\\b"},
      {"newline", "a\nb", "a\\nb"},
      {"tab", "a\tb", "a\\tb"},
      {"carriage return", "a\rb", "a\\rb"},
      {"inner blank kept", "a b", "a b"},
      {"leading blanks", "  a", "\\s\\sa"},
      {"trailing blank", "a ", "a\\s"},
      {"only blanks", "  ", "\\s\\s"},
      {"empty", "", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(EscapeDesktopString(c.input), c.expected) << c.name;
  }
}

TEST(DesktopEntry, QuotesExecArguments) {
  const TextCase cases[] = {
      {"plain path", "/a/korvane", "\"/a/korvane\""},
      {"blank", "/a b/k", "\"/a b/k\""},
      {"double quote", "/a\"b", "\"/a\\\"b\""},
      {"dollar", "/$HOME/k", "\"/\\$HOME/k\""},
      {"backtick", "/a`b`", "\"/a\\`b\\`\""},
      {"backslash", "/a\\b", "\"/a\\\\b\""},
      {"single quote needs nothing", "/a'b", "\"/a'b\""},
      {"percent is not a quoting matter", "/100%", "\"/100%\""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(QuoteExecArgument(c.input), c.expected) << c.name;
  }
}

TEST(DesktopEntry, ExecValueQuotesTheProgramAndEscapesTheLine) {
  struct Case {
    const char* name;
    std::string program;
    std::string arguments;
    std::string expected;
  };
  const Case cases[] = {
      {"program shortcut", "/d/kovr/korvane", "1", "\"/d/kovr/korvane\" 1"},
      {"uninstall shortcut", "/d/kovr/korvane", "-u", "\"/d/kovr/korvane\" -u"},
      {"no arguments", "/d/k", "", "\"/d/k\""},
      {"percent doubled", "/d/100%/k", "1", "\"/d/100%%/k\" 1"},
      // Quoting gives "\\", the string escape doubles it again.
      {"backslash written four times", "/d\\e/k", "1", "\"/d\\\\\\\\e/k\" 1"},
      {"quote inside", "/d\"e/k", "1", "\"/d\\\\\"e/k\" 1"},
      {"newline inside", "/d\ne/k", "1", "\"/d\\ne/k\" 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DesktopExecValue(c.program, c.arguments), c.expected) << c.name;
  }
}

TEST(DesktopEntry, ComposesTheWholeFile) {
  kv::install::DesktopShortcut program;
  program.name = "Korvane";
  program.program = "/d/kovr/korvane";
  program.arguments = "1";
  EXPECT_EQ(ComposeDesktopEntry(program),
            "[Desktop Entry]\nType=Application\nName=Korvane\nExec=\"/d/kovr/korvane\" 1\n"
            "Terminal=false\n");

  kv::install::DesktopShortcut uninstall = program;
  uninstall.name = "卸载-Korvane";
  uninstall.arguments = "-u";
  uninstall.iconPath = "/d/kovr/res/uninstall.ico";
  EXPECT_EQ(ComposeDesktopEntry(uninstall),
            "[Desktop Entry]\nType=Application\nName=卸载-Korvane\nExec=\"/d/kovr/korvane\" -u\n"
            "Icon=/d/kovr/res/uninstall.ico\nTerminal=false\n");
}

TEST(CreateShellLink, WritesAnExecutableEntryNamedAfterTheFile) {
  const std::filesystem::path folder = kv::test::MakeScratchFolder("shell-link");
  struct Case {
    const char* link;
    const char* arguments;
    bool uninstallIcon;
    std::string expected;
  };
  const Case cases[] = {
      {"《Korvane》.desktop", "1", false,
       "[Desktop Entry]\nType=Application\nName=《Korvane》\nExec=\"/p/kovr/korvane\" 1\n"
       "Terminal=false\n"},
      {"卸载-Korvane.desktop", "-u", true,
       "[Desktop Entry]\nType=Application\nName=卸载-Korvane\nExec=\"/p/kovr/korvane\" -u\n"
       "Icon=/p/kovr/res/uninstall.ico\nTerminal=false\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(kv::install::CreateShellLink("/p/kovr/korvane", c.arguments, folder.string(),
                                             c.link, c.uninstallIcon))
        << c.link;
    const std::filesystem::path file = folder / c.link;
    EXPECT_EQ(ReadTestFile(file), c.expected) << c.link;
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0) << c.link;
    EXPECT_EQ(info.st_mode & 07777, 0755u) << c.link;
  }
  // A second write replaces the file whole and leaves no temporary file.
  ASSERT_TRUE(kv::install::CreateShellLink("/q/korvane", "1", folder.string(),
                                           "《Korvane》.desktop", false));
  EXPECT_NE(ReadTestFile(folder / "《Korvane》.desktop").find("Exec=\"/q/korvane\" 1\n"),
            std::string::npos);
  EXPECT_EQ(kv::test::FolderNames(folder),
            (std::set<std::string>{"《Korvane》.desktop", "卸载-Korvane.desktop"}));

  EXPECT_FALSE(
      kv::install::CreateShellLink("/p/k", "1", (folder / "missing").string(), "a.desktop", false))
      << "a missing folder is not created";
  EXPECT_FALSE(kv::test::FolderNames(folder).contains("missing"));
}

// Single quotes for /bin/sh.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

std::string WaitForFile(const std::filesystem::path& file) {
  for (int i = 0; i < 200 && !std::filesystem::exists(file); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the writer finish
  return ReadTestFile(file);
}

// Programs in folders with characters that the quoting rules are about: the
// entry passes the validator and a GLib launcher starts exactly that program
// with exactly the argument "1".
TEST(CreateShellLink, EntriesStartTheirProgramThroughTheDesktopTools) {
  const std::filesystem::path root = kv::test::MakeScratchFolder("shell-link-launch");
  const std::vector<std::string> folders = {
      "plain",   "with blank",  "dollar $HOME",        "back`tick`",   "dq \"quoted\"",
      "sq 'it'", "back\\slash", "semi;colon & amp",    "《中文》目录", " lead and trail ",
      "hash #x", "star * ? []", "tilde ~ <gt> |pipe|", "paren (x)",
  };
  for (const std::string& name : folders) {
    const std::filesystem::path folder = root / name;
    std::filesystem::create_directories(folder);
    const std::filesystem::path program = folder / "run.sh";
    kv::test::WriteTestFile(
        program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > \"$(dirname \"$0\")/ran\"\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ASSERT_TRUE(kv::install::CreateShellLink(program.string(), "1", folder.string(),
                                             "Korvane.desktop", false))
        << name;
    const std::string entry = ShellQuoted((folder / "Korvane.desktop").string());

    const std::string report = (root / "validate.txt").string();
    EXPECT_EQ(std::system(("desktop-file-validate " + entry + " > " + report + " 2>&1").c_str()), 0)
        << name;
    EXPECT_EQ(ReadTestFile(report), "") << name << ": the validator has remarks";

    EXPECT_EQ(std::system(("gio launch " + entry + " > " + report + " 2>&1").c_str()), 0)
        << name << ": " << ReadTestFile(report);
    EXPECT_EQ(WaitForFile(folder / "ran"), program.string() + "\n1\n") << name;
  }
}

}  // namespace
