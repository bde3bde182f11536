#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/FileUtil.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using kv::app::GetFileMd5;
using kv::app::IsFolderEmpty;
using kv::test::TempFolder;
using kv::test::WriteTestFile;

TEST(FileMd5, KnownDigests) {
  // RFC 1321, appendix A.5, and the classic million-letter vector (which also
  // spans several read pieces).
  struct Case {
    std::string content;
    const char* digest;
  } const cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    WriteTestFile(folder / "file", c.content);
    std::string digest;
    EXPECT_TRUE(GetFileMd5((folder / "file").string(), digest)) << c.content.size();
    EXPECT_EQ(digest, c.digest) << "content of " << c.content.size() << " bytes";
  }
}

TEST(FileMd5, AppendsToTheGivenText) {
  TempFolder folder;
  WriteTestFile(folder / "file", "abc");
  std::string digest = "md5=";
  EXPECT_TRUE(GetFileMd5((folder / "file").string(), digest));
  EXPECT_EQ(digest, "md5=900150983cd24fb0d6963f7d28e17f72");
}

TEST(FileMd5, UnreadableInputFailsAndLeavesTheTextAlone) {
  TempFolder folder;
  fs::create_directory(folder / "folder");
  WriteTestFile(folder / "file", "x");
  const fs::path cases[] = {folder / "absent", folder / "absent/deeper", folder / "folder",
                            folder / "file/below-a-file", ""};
  for (const fs::path& path : cases) {
    std::string digest = "kept";
    EXPECT_FALSE(GetFileMd5(path.string(), digest)) << path;
    EXPECT_EQ(digest, "kept") << path;
  }
}

TEST(FolderEmpty, OnlyAFolderWithoutEntriesIsEmpty) {
  struct Case {
    const char* name;
    const char* path;
    bool empty;
  } const cases[] = {
      {"empty folder", "empty", true},
      {"missing folder", "absent", true},
      {"below a missing folder", "absent/deeper", true},
      {"a file cannot be listed", "file", true},
      {"holding only an empty sub-folder", "parent", false},
      {"holding a file", "with-file", false},
      {"holding only a hidden file", "with-hidden", false},
      {"holding only a dangling link", "with-link", false},
      {"trailing separator", "parent/", false},
  };
  TempFolder folder;
  fs::create_directories(folder / "empty");
  fs::create_directories(folder / "parent/child");
  fs::create_directories(folder / "with-file");
  WriteTestFile(folder / "with-file/a", "");
  fs::create_directories(folder / "with-hidden");
  WriteTestFile(folder / "with-hidden/.a", "");
  fs::create_directories(folder / "with-link");
  fs::create_symlink("nowhere", folder / "with-link/link");
  WriteTestFile(folder / "file", "x");
  for (const Case& c : cases) {
    EXPECT_EQ(IsFolderEmpty(folder.path().string() + "/" + c.path), c.empty) << c.name;
  }
}

}  // namespace
