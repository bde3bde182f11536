// Extracting members to files: contents, folders, safe places, read-only
// files, times, damaged data and encryption.

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "install/zip/Unzip.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipBuilder.h"
#include "tests/support/ZipTestHelpers.h"

namespace {

namespace fs = std::filesystem;
using namespace kv::zip;
using namespace kv::test;

ZipMember Member(std::string name, std::string content, std::uint16_t method = 8) {
  ZipMember member;
  member.name = std::move(name);
  member.content = std::move(content);
  member.method = method;
  return member;
}

// Extracts member `index` of `bytes` to its own name under `target`.
ZRESULT ExtractOne(const std::string& bytes, const fs::path& target, int index = 0) {
  OpenArchive zip(bytes);
  if (!zip) {
    return g_unzipLastResult;
  }
  UnzipSetTargetFolder(zip.get(), target.string());
  UnzipEntry entry;
  UnzipGetEntry(zip.get(), index, &entry);
  return UnzipExtractFile(zip.get(), index, entry.name);
}

std::int64_t UnixSeconds(fs::file_time_type time) {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::file_clock::to_sys(time).time_since_epoch())
      .count();
}

TEST(UnzipExtract, ContentsComeOutAsStored) {
  struct Case {
    const char* label;
    ZipMember member;
  };
  const auto withDescriptor = [](ZipMember member) {
    member.dataDescriptor = true;
    return member;
  };
  const std::vector<Case> cases = {
      {"stored", Member("stored.txt", "stored bytes\r\n", 0)},
      {"deflated", Member("deflated.txt", SemiRandomText(3000))},
      {"empty stored", Member("empty-stored.txt", "", 0)},
      {"empty deflated", Member("empty-deflated.txt", "")},
      {"stored across buffers", Member("big-stored.bin", SemiRandomText(40000, 7), 0)},
      {"deflated across buffers", Member("big-deflated.bin", SemiRandomText(200000, 9))},
      {"binary with every byte value", Member("bytes.bin",
                                              [] {
                                                std::string all;
                                                for (int round = 0; round < 70; ++round) {
                                                  for (int b = 0; b < 256; ++b) {
                                                    all += static_cast<char>(b);
                                                  }
                                                }
                                                return all;
                                              }())},
      {"stored with data descriptor", withDescriptor(Member("dd-stored.txt", "descriptor", 0))},
      {"deflated with data descriptor",
       withDescriptor(Member("dd-deflated.txt", SemiRandomText(20000, 3)))},
      {"in sub-folders", Member("sub/deeper/file.txt", "nested")},
      {"backslash sub-folders", Member("win\\style\\file.txt", "backslashes")},
  };
  ZipBuilder builder;
  for (const Case& c : cases) {
    builder.Add(c.member);
  }
  const ZipImage image = builder.Build();
  ScratchFolder scratch;
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  ASSERT_EQ(UnzipSetTargetFolder(zip.get(), scratch.path().string()), UZR_OK);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    UnzipEntry entry;
    ASSERT_EQ(UnzipGetEntry(zip.get(), static_cast<int>(i), &entry), UZR_OK) << cases[i].label;
    EXPECT_EQ(entry.size, cases[i].member.content.size()) << cases[i].label;
    ASSERT_EQ(UnzipExtractFile(zip.get(), static_cast<int>(i), entry.name), UZR_OK)
        << cases[i].label;
    EXPECT_EQ(ReadWholeFile(scratch.path() / entry.name), cases[i].member.content)
        << cases[i].label;
  }
  EXPECT_TRUE(fs::is_regular_file(scratch.path() / "win/style/file.txt"));
}

TEST(UnzipExtract, TraversalNamesStayInsideTheTarget) {
  const ZipImage image = ZipBuilder()
                             .Add(Member("..\\..\\x.ini", "x"))
                             .Add(Member("/abs/y.txt", "y"))
                             .Add(Member("x/../../evil.ini", "evil"))
                             .Add(Member("C:\\a\\b.txt", "b"))
                             .Build();
  ScratchFolder scratch;
  const fs::path target = scratch.path() / "deep" / "target";
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  ASSERT_EQ(UnzipSetTargetFolder(zip.get(), target.string()), UZR_OK);
  for (int i = 0; i < 4; ++i) {
    UnzipEntry entry;
    ASSERT_EQ(UnzipGetEntry(zip.get(), i, &entry), UZR_OK);
    EXPECT_EQ(UnzipExtractFile(zip.get(), i, entry.name), UZR_OK) << entry.name;
  }
  // Names given by the caller are held to the same rule as member names.
  EXPECT_EQ(UnzipExtractFile(zip.get(), 0, "../../outside.txt"), UZR_OK);
  EXPECT_EQ(UnzipExtractFile(zip.get(), 1, (scratch.path() / "absolute.txt").string()), UZR_OK);
  EXPECT_EQ(UnzipExtractFile(zip.get(), 2, "D:\\drive.txt"), UZR_OK);
  const std::string absoluteInside =
      "deep/target/" + fs::relative(scratch.path() / "absolute.txt", "/").generic_string();
  std::vector<std::string> expected = {"deep",
                                       "deep/target",
                                       "deep/target/a",
                                       "deep/target/a/b.txt",
                                       "deep/target/abs",
                                       "deep/target/abs/y.txt",
                                       "deep/target/drive.txt",
                                       "deep/target/evil.ini",
                                       "deep/target/outside.txt",
                                       "deep/target/x.ini"};
  for (fs::path part = fs::path(absoluteInside).parent_path(); part != "deep/target";
       part = part.parent_path()) {
    expected.push_back(part.generic_string());
  }
  expected.push_back(absoluteInside);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListTree(scratch.path()), expected);
  EXPECT_EQ(ReadWholeFile(target / "x.ini"), "x");
  EXPECT_EQ(ReadWholeFile(target / "abs/y.txt"), "y");
  EXPECT_EQ(ReadWholeFile(target / "evil.ini"), "evil");
  EXPECT_EQ(ReadWholeFile(target / "a/b.txt"), "b");
}

TEST(UnzipExtract, FolderMembersCreateFoldersAndNoFile) {
  ZipMember dosFolder = Member("dos/folder/", "", 0);
  dosFolder.externalAttributes = kAttrDirectory;
  ZipMember unixFolder = Member("unix\\folder", "", 0);
  unixFolder.host = kHostUnix;
  unixFolder.externalAttributes = 040755u << 16;
  const ZipImage image = ZipBuilder().Add(dosFolder).Add(unixFolder).Build();
  ScratchFolder scratch;
  const fs::path target = scratch.path() / "not" / "yet";  // created on the way
  EXPECT_EQ(ExtractOne(image.bytes, target, 0), UZR_OK);
  EXPECT_EQ(ExtractOne(image.bytes, target, 1), UZR_OK);
  EXPECT_EQ(ListTree(target),
            (std::vector<std::string>{"dos", "dos/folder", "unix", "unix/folder"}));
  // Extracting again leaves the folders alone.
  EXPECT_EQ(ExtractOne(image.bytes, target, 0), UZR_OK);
  // A file in the way of a folder is not replaced.
  WriteWholeFile(target / "dos" / "blocked", "keep");
  EXPECT_EQ(ExtractOne(ZipBuilder()
                           .Add([&] {
                             ZipMember blocked = Member("dos/blocked/", "", 0);
                             blocked.externalAttributes = kAttrDirectory;
                             return blocked;
                           }())
                           .Build()
                           .bytes,
                       target),
            UZR_NOFILE);
  EXPECT_EQ(ReadWholeFile(target / "dos" / "blocked"), "keep");
}

TEST(UnzipExtract, ReadOnlyMembersCannotBeReplaced) {
  ZipMember locked = Member("locked.ini", "first");
  locked.externalAttributes = kAttrReadOnly | kAttrArchive;
  ZipMember newer = Member("locked.ini", "second");
  ScratchFolder scratch;
  const fs::path file = scratch.path() / "locked.ini";

  ASSERT_EQ(ExtractOne(ZipBuilder().Add(locked).Build().bytes, scratch.path()), UZR_OK);
  const fs::perms writeBits =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  EXPECT_EQ(fs::status(file).permissions() & writeBits, fs::perms::none);
  EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_read, fs::perms::none);
  EXPECT_EQ(ExtractOne(ZipBuilder().Add(locked).Build().bytes, scratch.path()), UZR_NOFILE);
  EXPECT_EQ(ExtractOne(ZipBuilder().Add(newer).Build().bytes, scratch.path()), UZR_NOFILE);
  EXPECT_EQ(ReadWholeFile(file), "first");

  // Once writable again it is replaced like any other file.
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ExtractOne(ZipBuilder().Add(newer).Build().bytes, scratch.path()), UZR_OK);
  EXPECT_EQ(ReadWholeFile(file), "second");
  EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(UnzipExtract, ExistingFilesAreReplacedButFoldersAreNot) {
  ScratchFolder scratch;
  WriteWholeFile(scratch.path() / "settings.ini", "a much longer previous content");
  const std::string bytes = ZipBuilder().Add(Member("settings.ini", "new")).Build().bytes;
  EXPECT_EQ(ExtractOne(bytes, scratch.path()), UZR_OK);
  EXPECT_EQ(ReadWholeFile(scratch.path() / "settings.ini"), "new");

  fs::create_directory(scratch.path() / "folder.ini");
  EXPECT_EQ(ExtractOne(ZipBuilder().Add(Member("folder.ini", "x")).Build().bytes, scratch.path()),
            UZR_NOFILE);
  EXPECT_TRUE(fs::is_directory(scratch.path() / "folder.ini"));
  EXPECT_EQ(ListTree(scratch.path()), (std::vector<std::string>{"folder.ini", "settings.ini"}));
}

TEST(UnzipExtract, FileTimesAreRestored) {
  TimeZoneGuard zone("<-05>5");  // local time is five hours behind UTC
  ZipMember withUt = Member("ut.txt", "ut");
  withUt.localExtra = ExtendedTimestampBlock(1500000000, 1500000500);
  ZipMember dosOnly = Member("dos.txt", "dos");
  dosOnly.dosDateTime = DosDateTime(2021, 6, 15, 2, 20, 30);  // 07:20:30 UTC
  const ZipImage image = ZipBuilder().Add(withUt).Add(dosOnly).Build();
  ScratchFolder scratch;
  ASSERT_EQ(ExtractOne(image.bytes, scratch.path(), 0), UZR_OK);
  ASSERT_EQ(ExtractOne(image.bytes, scratch.path(), 1), UZR_OK);
  EXPECT_EQ(UnixSeconds(fs::last_write_time(scratch.path() / "ut.txt")), 1500000000);
  EXPECT_EQ(UnixSeconds(fs::last_write_time(scratch.path() / "dos.txt")), 1623741630);
}

TEST(UnzipExtract, DamagedDataIsReportedAndReplacesNothing) {
  const std::string content = SemiRandomText(50000, 5);
  const std::string deflated = RawDeflate(content);
  struct Case {
    const char* label;
    ZipMember member;
  };
  const auto with = [&](std::uint16_t method, auto change) {
    ZipMember member = Member("f.txt", content, method);
    change(member);
    return member;
  };
  const std::vector<Case> cases = {
      {"not deflate data", with(8, [](ZipMember& m) { m.storedData = std::string(900, '\xFF'); })},
      {"deflate data cut short",
       with(8, [&](ZipMember& m) { m.storedData = deflated.substr(0, deflated.size() / 2); })},
      {"wrong CRC", with(8, [](ZipMember& m) { m.crc = 0x12345678; })},
      {"wrong CRC, stored", with(0, [](ZipMember& m) { m.crc = 0x12345678; })},
      {"size larger than the data", with(8, [&](ZipMember& m) { m.size = 60000; })},
      {"size smaller than the data", with(8, [&](ZipMember& m) { m.size = 100; })},
      {"stored data shorter than its size",
       with(0, [&](ZipMember& m) { m.storedData = content.substr(0, 1000); })},
      {"data runs past the block",
       with(0, [&](ZipMember& m) { m.storedData = content.substr(0, 10); })},
      {"local header does not match", with(8, [](ZipMember& m) { m.localMethod = 0; })},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch(c.label);
    WriteWholeFile(scratch.path() / "f.txt", "previous");
    ZipImage image = ZipBuilder().Add(c.member).Build();
    if (std::string(c.label) == "data runs past the block") {
      // Claim more data than the rest of the block holds, in both headers.
      PutLe32(image.bytes, image.localHeaders[0] + 18, 1 << 20);
      PutLe32(image.bytes, image.centralRecords[0] + 20, 1 << 20);
    }
    EXPECT_EQ(ExtractOne(image.bytes, scratch.path()), UZR_INFLATE) << c.label;
    EXPECT_EQ(ReadWholeFile(scratch.path() / "f.txt"), "previous") << c.label;
    EXPECT_EQ(ListTree(scratch.path()), std::vector<std::string>{"f.txt"}) << c.label;
  }
}

TEST(UnzipExtract, EncryptedMembersNeedTheirCheckByte) {
  struct Case {
    const char* label;
    ZipMember member;
    ZRESULT expected;
  };
  const auto encrypted = [](std::string password, std::uint16_t method, bool descriptor,
                            std::string content = "protected content") {
    ZipMember member = Member("e.txt", std::move(content), method);
    member.password = std::move(password);
    member.dataDescriptor = descriptor;
    return member;
  };
  ZipMember wrongCheck = encrypted("", 8, false);
  wrongCheck.checkByte = 0x5A;
  ZipMember wrongCheckEmpty = encrypted("", 0, false, "");
  wrongCheckEmpty.checkByte = 0x01;
  const std::vector<Case> cases = {
      {"password, stored", encrypted("secret", 0, false), UZR_PASSWORD},
      {"password, deflated", encrypted("secret", 8, false), UZR_PASSWORD},
      {"password, deflated, data descriptor", encrypted("secret", 8, true), UZR_PASSWORD},
      {"another password", encrypted("korvane", 8, false), UZR_PASSWORD},
      // With an empty password the keys stay as they start, so the reader can
      // decipher these fully.
      {"empty password, stored", encrypted("", 0, false), UZR_OK},
      {"empty password, deflated", encrypted("", 8, false, SemiRandomText(70000)), UZR_OK},
      {"empty password, data descriptor", encrypted("", 8, true), UZR_OK},
      {"empty password, empty member", encrypted("", 0, false, ""), UZR_OK},
      {"wrong check byte", wrongCheck, UZR_PASSWORD},
      {"wrong check byte, empty member", wrongCheckEmpty, UZR_PASSWORD},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch(c.label);
    EXPECT_EQ(ExtractOne(ZipBuilder().Add(c.member).Build().bytes, scratch.path()), c.expected)
        << c.label;
    if (c.expected == UZR_OK) {
      EXPECT_EQ(ReadWholeFile(scratch.path() / "e.txt"), c.member.content) << c.label;
    } else {
      EXPECT_TRUE(ListTree(scratch.path()).empty()) << c.label;
    }
  }
}

TEST(UnzipExtract, DecipheringMatchesAnotherImplementation) {
  // Thirty-two bytes of cipher text and what Python's zipfile deciphers them
  // to with an empty password: a 12-byte header ending in 0xAE, then the data.
  const std::string cipherText = "Korvane known-answer ciphertext!";
  const std::string plainData =
      "\xa2\x7e\x55\x9b\x2f\xd0\x92\x71\xfa\xb7\xcb\x26\xa6\x24\x50\xed\x87\x05\xb7\x4b";
  ZipMember member = Member("known.bin", plainData, 0);
  member.storedData = cipherText;
  member.flags = 0x0001;
  member.dataDescriptor = true;  // the check byte is then the high byte of the DOS time
  member.dosDateTime = (DosDateTime(2021, 6, 15, 0, 0, 0) & 0xFFFF0000u) | 0xAE00u;
  ScratchFolder scratch;
  ASSERT_EQ(ExtractOne(ZipBuilder().Add(member).Build().bytes, scratch.path()), UZR_OK);
  EXPECT_EQ(ReadWholeFile(scratch.path() / "known.bin"), plainData);
}

TEST(UnzipExtract, TargetFolderTakesEitherSeparatorOrNone) {
  ScratchFolder scratch;
  const std::string bytes = ZipBuilder().Add(Member("t.txt", "target")).Build().bytes;
  struct Case {
    std::string folder;
    fs::path expected;
  };
  const std::vector<Case> cases = {
      {(scratch.path() / "plain").string(), scratch.path() / "plain/t.txt"},
      {(scratch.path() / "slash").string() + "/", scratch.path() / "slash/t.txt"},
      {(scratch.path() / "back").string() + "\\", scratch.path() / "back/t.txt"},
      {(scratch.path() / "mixed\\inner").string(), scratch.path() / "mixed/inner/t.txt"},
  };
  for (const Case& c : cases) {
    OpenArchive zip(bytes);
    ASSERT_TRUE(zip);
    EXPECT_EQ(UnzipSetTargetFolder(zip.get(), c.folder), UZR_OK) << c.folder;
    EXPECT_EQ(UnzipExtractFile(zip.get(), 0, "t.txt"), UZR_OK) << c.folder;
    EXPECT_EQ(ReadWholeFile(c.expected), "target") << c.folder;
  }
}

TEST(UnzipExtract, DefaultTargetIsTheCurrentFolder) {
  ScratchFolder scratch;
  const fs::path previous = fs::current_path();
  fs::current_path(scratch.path());
  const std::string bytes = ZipBuilder().Add(Member("here.txt", "here")).Build().bytes;
  ZRESULT result = UZR_ARGS;
  {
    OpenArchive zip(bytes);
    fs::current_path(previous);  // the folder was taken at opening
    result = zip ? UnzipExtractFile(zip.get(), 0, "here.txt") : g_unzipLastResult;
  }
  EXPECT_EQ(result, UZR_OK);
  EXPECT_EQ(ReadWholeFile(scratch.path() / "here.txt"), "here");
}

}  // namespace
