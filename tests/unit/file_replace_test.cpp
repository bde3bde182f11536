#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/Os.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using kv::platform::ReplaceFileAtomically;
using kv::test::FolderNames;
using kv::test::ReadTestFile;
using kv::test::TempFolder;
using kv::test::WriteTestFile;

mode_t PermissionBits(const fs::path& file) {
  struct stat status {};
  ::stat(file.c_str(), &status);
  return status.st_mode & 07777;
}

// Content longer than one copy piece, with every byte value.
std::string LargeContent() {
  std::string bytes(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>((i * 131) >> 3);
  }
  return bytes;
}

TEST(ReplaceFileAtomically, CopiesBytesAndPermissions) {
  struct Case {
    const char* name;
    std::string content;
    mode_t sourceMode;
    bool targetExists;
  } const cases[] = {
      {"new target, executable", "new launcher", 0755, false},
      {"existing target replaced", "new launcher", 0755, true},
      {"owner-only executable", "x", 0700, true},
      {"empty source", "", 0755, true},
      {"larger than one copy piece", LargeContent(), 0750, true},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const fs::path source = folder / "download.exe";
    const fs::path target = folder / "korvane";
    WriteTestFile(source, c.content);
    ::chmod(source.c_str(), c.sourceMode);
    if (c.targetExists) {
      WriteTestFile(target, "old launcher, longer than the new one to catch a missing truncation");
      ::chmod(target.c_str(), 0600);
    }
    EXPECT_EQ(ReplaceFileAtomically(source, target), 0) << c.name;
    EXPECT_TRUE(ReadTestFile(target) == c.content) << c.name;
    EXPECT_EQ(PermissionBits(target), c.sourceMode) << c.name;
    EXPECT_EQ(FolderNames(folder.path()), (std::set<std::string>{"download.exe", "korvane"}))
        << c.name << ": no temporary file may be left";
  }
}

TEST(ReplaceFileAtomically, FailuresReportErrnoAndLeaveNothingBehind) {
  struct Case {
    const char* name;
    const char* source;
    const char* target;
    int error;
  } const cases[] = {
      {"missing source", "absent.exe", "installed/korvane", ENOENT},
      {"target folder missing", "download.exe", "nowhere/korvane", ENOENT},
      {"target's parent is a file", "download.exe", "plain-file/korvane", ENOTDIR},
      {"target is a folder", "download.exe", "installed/occupied", EISDIR},
      {"target is a folder path", "download.exe", "installed/", ENOTDIR},
      {"source is a folder", "installed", "installed/korvane", EISDIR},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    WriteTestFile(folder / "download.exe", "new launcher");
    WriteTestFile(folder / "plain-file", "not a folder");
    fs::create_directories(folder / "installed/occupied/inside");
    WriteTestFile(folder / "installed/korvane", "old launcher");
    const auto before = FolderNames(folder / "installed");

    const fs::path target = folder.path().string() + "/" + c.target;
    EXPECT_EQ(ReplaceFileAtomically(folder / c.source, target), c.error) << c.name;
    EXPECT_EQ(ReadTestFile(folder / "installed/korvane"), "old launcher") << c.name;
    EXPECT_EQ(FolderNames(folder / "installed"), before) << c.name;
    EXPECT_EQ(FolderNames(folder.path()),
              (std::set<std::string>{"download.exe", "installed", "plain-file"}))
        << c.name;
  }
}

TEST(ReplaceFileAtomically, EmptyTargetFails) {
  TempFolder folder;
  WriteTestFile(folder / "download.exe", "new launcher");
  EXPECT_EQ(ReplaceFileAtomically(folder / "download.exe", ""), ENOENT);
}

TEST(ReplaceFileAtomically, ReplacesAnExecutableThatIsRunning) {
  TempFolder folder;
  const fs::path target = folder / "korvane";
  fs::copy_file("/bin/sleep", target);
  ::chmod(target.c_str(), 0755);
  char program[] = "korvane";
  char seconds[] = "30";
  char* argv[] = {program, seconds, nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, target.c_str(), nullptr, nullptr, argv, environ), 0);
  // Writing into the file of a running program fails with ETXTBSY; wait until the
  // child really executes it, so that the replacement below meets that situation.
  for (int i = 0; i < 500; ++i) {
    std::error_code error;
    if (fs::read_symlink("/proc/" + std::to_string(child) + "/exe", error) == target) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  WriteTestFile(folder / "download.exe", "new launcher");
  ::chmod((folder / "download.exe").c_str(), 0755);

  EXPECT_EQ(ReplaceFileAtomically(folder / "download.exe", target), 0);
  EXPECT_EQ(ReadTestFile(target), "new launcher");
  EXPECT_EQ(::kill(child, 0), 0) << "the running old copy is untouched";
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

TEST(ReplaceFileAtomically, FollowsASymbolicLinkAtTheTarget) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteTestFile(folder / "real/korvane", "old launcher");
  fs::create_symlink("real/korvane", folder / "link");
  WriteTestFile(folder / "download.exe", "new launcher");

  EXPECT_EQ(ReplaceFileAtomically(folder / "download.exe", folder / "link"), 0);
  EXPECT_TRUE(fs::is_symlink(folder / "link"));
  EXPECT_EQ(ReadTestFile(folder / "real/korvane"), "new launcher");
  EXPECT_EQ(FolderNames(folder / "real"), std::set<std::string>{"korvane"});
}

TEST(ReplaceFileAtomically, CopiesAFileOntoItselfUnchanged) {
  TempFolder folder;
  WriteTestFile(folder / "korvane", "launcher");
  EXPECT_EQ(ReplaceFileAtomically(folder / "korvane", folder / "korvane"), 0);
  EXPECT_EQ(ReadTestFile(folder / "korvane"), "launcher");
  EXPECT_EQ(FolderNames(folder.path()), std::set<std::string>{"korvane"});
}

TEST(ReplaceFileAtomically, LongTargetNameStillGetsATemporaryFile) {
  TempFolder folder;
  const std::string name(250, 'k');
  WriteTestFile(folder / "download.exe", "new launcher");
  EXPECT_EQ(ReplaceFileAtomically(folder / "download.exe", folder / name), 0);
  EXPECT_EQ(ReadTestFile(folder / name), "new launcher");
}

}  // namespace
