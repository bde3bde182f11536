// The uninstall entry (machine-wide, created once) and its per-user profile
// copy (rewritten whenever its Path differs).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

#include "app/Settings.h"
#include "install/Registration.h"
#include "tests/support/SandboxEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

using kv::install::UninstallValues;
using kv::test::FolderNames;
using kv::test::ReadTestFile;

const UninstallValues kFirst{"/d/rozovizo_7/kovr/korvane", "Korvane", "",
                             "/d/rozovizo_7/kovr/korvane -u"};
const UninstallValues kRenamed{"/d/rozovizo_7/kovr/korvane2", "Korvane", "",
                               "/d/rozovizo_7/kovr/korvane2 -u"};

constexpr const char* kFirstEntryText =
    "[VexaKorvane]\n"
    "Path=/d/rozovizo_7/kovr/korvane\n"
    "DisplayName=Korvane\n"
    "Publisher=\n"
    "UninstallString=/d/rozovizo_7/kovr/korvane -u\n";

TEST(UninstallEntry, ComposesFourValuesInOrder) {
  EXPECT_EQ(kv::install::ComposeUninstallEntry(kFirst), kFirstEntryText);
}

TEST(UninstallEntry, IsCreatedOnceWithItsFoldersAndKeepsTheFirstValues) {
  const std::filesystem::path root = kv::test::MakeScratchFolder("uninstall-entry");
  const std::filesystem::path file = root / "xdg" / "rozovizo_7" / "uninstall" / "VexaKorvane";

  ASSERT_TRUE(kv::install::CreateUninstallEntry(file.string(), kFirst));
  EXPECT_EQ(ReadTestFile(file), kFirstEntryText);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  // The profile reader sees the same four values.
  EXPECT_EQ(kv::app::ReadProfileString(file.string(), "VexaKorvane", "UninstallString", "?"),
            kFirst.uninstallString);

  // A later installation under another file name leaves the entry alone.
  EXPECT_FALSE(kv::install::CreateUninstallEntry(file.string(), kRenamed));
  EXPECT_EQ(ReadTestFile(file), kFirstEntryText);
  EXPECT_EQ(FolderNames(file.parent_path()), std::set<std::string>{"VexaKorvane"})
      << "no temporary file is left behind";
}

TEST(UninstallEntry, IsNotWrittenWhereItCannotBeOrWouldBeMisread) {
  const std::filesystem::path root = kv::test::MakeScratchFolder("uninstall-entry-refused");
  kv::test::WriteTestFile(root / "plain-file", "not a folder");
  struct Case {
    const char* name;
    std::string file;
    UninstallValues values;
  };
  UninstallValues brokenLine = kFirst;
  brokenLine.path += "\nUninstallString=rm -rf ~";
  UninstallValues brokenTitle = kFirst;
  brokenTitle.displayName = "Kor\rvane";
  const Case cases[] = {
      // Permission bits do not stop root, a regular file in the path does.
      {"folder below a regular file", (root / "plain-file" / "xdg" / "VexaKorvane").string(),
       kFirst},
      {"no location", "", kFirst},
      {"line break in Path", (root / "a" / "VexaKorvane").string(), brokenLine},
      {"carriage return in DisplayName", (root / "b" / "VexaKorvane").string(), brokenTitle},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(kv::install::CreateUninstallEntry(c.file, c.values)) << c.name;
    if (!c.file.empty()) {
      EXPECT_FALSE(std::filesystem::exists(c.file)) << c.name;
    }
  }
}

TEST(ProfileCopy, IsRewrittenWheneverItsPathDiffers) {
  const std::filesystem::path root = kv::test::MakeScratchFolder("profile-copy");
  const std::string file =
      (root / "应用程序向导生成的本地应用程序" / "korvane" / "profile.ini").string();
  auto value = [&](const char* key) {
    return kv::app::ReadProfileString(file, "VexaKorvane", key, "no find!");
  };

  // First run: folders and all four values, in order.
  kv::install::UpdateProfileCopy(file, kFirst);
  const std::string text = ReadTestFile(file);
  const std::size_t path = text.find("Path=");
  const std::size_t name = text.find("DisplayName=");
  const std::size_t publisher = text.find("Publisher=");
  const std::size_t command = text.find("UninstallString=");
  ASSERT_NE(command, std::string::npos) << text;
  EXPECT_TRUE(path < name && name < publisher && publisher < command) << text;
  EXPECT_EQ(value("Path"), kFirst.path);
  EXPECT_EQ(value("DisplayName"), "Korvane");
  EXPECT_EQ(value("Publisher"), "");
  EXPECT_EQ(value("UninstallString"), kFirst.uninstallString);

  // Same Path: nothing is written, even when another value was changed meanwhile.
  ASSERT_TRUE(kv::app::WriteProfileString(file, "VexaKorvane", "DisplayName", "Edited"));
  const std::string edited = ReadTestFile(file);
  kv::install::UpdateProfileCopy(file, kFirst);
  EXPECT_EQ(ReadTestFile(file), edited);

  // Another Path: all four values are written again.
  kv::install::UpdateProfileCopy(file, kRenamed);
  EXPECT_EQ(value("Path"), kRenamed.path);
  EXPECT_EQ(value("DisplayName"), "Korvane");
  EXPECT_EQ(value("UninstallString"), kRenamed.uninstallString);
}

}  // namespace
