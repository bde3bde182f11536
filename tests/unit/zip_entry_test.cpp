// Describing members: count, cache, safe names, attributes, times and the
// local header check.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/zip/Unzip.h"
#include "tests/support/ZipBuilder.h"
#include "tests/support/ZipTestHelpers.h"

namespace {

using namespace kv::zip;
using namespace kv::test;

ZipMember Member(std::string name, std::string content = "content") {
  ZipMember member;
  member.name = std::move(name);
  member.content = std::move(content);
  return member;
}

TEST(UnzipEntries, IndexMinusOneGivesOnlyTheCount) {
  const ZipImage image =
      ZipBuilder().Add(Member("a.txt")).Add(Member("b.txt")).Add(Member("c.txt")).Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry entry;
  ASSERT_EQ(UnzipGetEntry(zip.get(), 1, &entry), UZR_OK);
  ASSERT_EQ(entry.name, "b.txt");
  ASSERT_EQ(UnzipGetEntry(zip.get(), -1, &entry), UZR_OK);
  EXPECT_EQ(entry.index, 3);
  EXPECT_EQ(entry.name, "");
  EXPECT_EQ(entry.attributes, 0u);
  EXPECT_EQ(entry.accessTime, 0u);
  EXPECT_EQ(entry.creationTime, 0u);
  EXPECT_EQ(entry.writeTime, 0u);
  EXPECT_EQ(entry.compressedSize, 0u);
  EXPECT_EQ(entry.size, 0u);
}

TEST(UnzipEntries, SameMemberTwiceComesFromTheCache) {
  ZipImage image = ZipBuilder().Add(Member("first.txt", "one")).Add(Member("second.txt")).Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry first;
  ASSERT_EQ(UnzipGetEntry(zip.get(), 0, &first), UZR_OK);
  // Spoil the member's local header and central name in place: a second
  // description that read the archive again would notice.
  image.bytes[image.localHeaders[0]] = 'X';
  image.bytes[image.centralRecords[0] + 46] = 'X';
  UnzipEntry again;
  ASSERT_EQ(UnzipGetEntry(zip.get(), 0, &again), UZR_OK);
  EXPECT_EQ(again.index, 0);
  EXPECT_EQ(again.name, "first.txt");
  EXPECT_EQ(again.size, first.size);
  EXPECT_EQ(again.writeTime, first.writeTime);
  // Only the last description is kept.
  ASSERT_EQ(UnzipGetEntry(zip.get(), 1, &again), UZR_OK);
  EXPECT_EQ(UnzipGetEntry(zip.get(), 0, &again), UZR_CORRUPT);
}

TEST(UnzipEntries, NamesAreMadeSafe) {
  struct Case {
    std::string stored;
    std::string safe;
  };
  const std::vector<Case> cases = {
      {"plain.txt", "plain.txt"},
      {"dir\\sub\\file.txt", "dir/sub/file.txt"},
      {"..\\..\\x.ini", "x.ini"},
      {"/abs/y.txt", "abs/y.txt"},
      {"x/../../evil.ini", "evil.ini"},
      {"C:\\a\\b.txt", "a/b.txt"},
      {"C:../z.txt", "z.txt"},
      {"\\\\server\\share\\f.txt", "server/share/f.txt"},
      {"a/..\\b/c.txt", "b/c.txt"},
      {"deep/ok/../../../../up.txt", "up.txt"},
      {"..", ""},
      {"../", ""},
      {"a/./b.txt", "a/./b.txt"},
      {"..name/x", "..name/x"},
      {std::string("cut\0/../../x.txt", 16), "cut"},
      {"\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9t\xC3\xA9.txt"},
      {"bad\xFF.txt", "bad\xEF\xBF\xBD.txt"},
  };
  ZipBuilder builder;
  for (const Case& c : cases) {
    builder.Add(Member(c.stored));
  }
  const ZipImage image = builder.Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    UnzipEntry entry;
    ASSERT_EQ(UnzipGetEntry(zip.get(), static_cast<int>(i), &entry), UZR_OK) << cases[i].stored;
    EXPECT_EQ(entry.name, cases[i].safe) << "stored name: " << cases[i].stored;
  }
}

TEST(UnzipEntries, LongNamesAreCutTo259Bytes) {
  std::string longName;
  while (longName.size() < 400) {
    longName += "folder" + std::to_string(longName.size()) + "/";
  }
  longName += "file.txt";
  const ZipImage image = ZipBuilder()
                             .Add(Member(longName))
                             .Add(Member(std::string(259, 'n')))
                             .Add(Member(std::string(258, 'n')))
                             .Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry entry;
  ASSERT_EQ(UnzipGetEntry(zip.get(), 0, &entry), UZR_OK);
  EXPECT_EQ(entry.name, longName.substr(0, 259));
  ASSERT_EQ(UnzipGetEntry(zip.get(), 1, &entry), UZR_OK);
  EXPECT_EQ(entry.name, std::string(259, 'n'));
  ASSERT_EQ(UnzipGetEntry(zip.get(), 2, &entry), UZR_OK);
  EXPECT_EQ(entry.name, std::string(258, 'n'));
}

TEST(UnzipEntries, AttributesFollowTheHostThatMadeTheArchive) {
  constexpr std::uint32_t kUnixFile644 = 0100644u << 16;
  constexpr std::uint32_t kUnixFile444 = 0100444u << 16;
  constexpr std::uint32_t kUnixFolder755 = 040755u << 16;
  struct Case {
    const char* label;
    std::uint8_t host;
    std::uint32_t external;
    std::uint32_t expected;
  };
  const std::vector<Case> cases = {
      {"MS-DOS read-only archive", kHostMsDos, 0x21, kAttrReadOnly | kAttrArchive},
      {"NTFS hidden system folder", kHostNtfs, 0x16, kAttrHidden | kAttrSystem | kAttrDirectory},
      {"VFAT: only the five bits", kHostVfat, 0xFFFFFFFF,
       kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive},
      {"Macintosh low byte", kHostMacintosh, 0x01, kAttrReadOnly},
      {"MS-DOS nothing", kHostMsDos, 0, 0},
      {"Unix writable file", kHostUnix, kUnixFile644, kAttrArchive},
      {"Unix read-only file", kHostUnix, kUnixFile444, kAttrArchive | kAttrReadOnly},
      {"Unix folder with DOS bits", kHostUnix, kUnixFolder755 | 0x10,
       kAttrArchive | kAttrDirectory},
      {"OS X ignores the low byte", kHostOsX, kUnixFile644 | 0x07, kAttrArchive},
  };
  ZipBuilder builder;
  for (const Case& c : cases) {
    ZipMember member = Member(c.label);
    member.host = c.host;
    member.externalAttributes = c.external;
    builder.Add(member);
  }
  const ZipImage image = builder.Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    UnzipEntry entry;
    ASSERT_EQ(UnzipGetEntry(zip.get(), static_cast<int>(i), &entry), UZR_OK) << cases[i].label;
    EXPECT_EQ(entry.attributes, cases[i].expected) << cases[i].label;
  }
}

TEST(UnzipEntries, TimesComeFromTheUtBlockElseFromTheLocalDosTime) {
  TimeZoneGuard zone("<+03>-3");  // local time is three hours ahead of UTC
  const std::uint32_t dos = DosDateTime(2021, 6, 15, 10, 20, 30);
  const std::uint64_t dosAsUtc = FileTimeOf(1623741630);  // 2021-06-15 07:20:30 UTC
  constexpr std::int32_t kModified = 1600000000;
  constexpr std::int32_t kAccessed = 1600000100;
  constexpr std::int32_t kCreated = -86400;  // before 1970
  struct Case {
    const char* label;
    std::string localExtra;
    std::uint32_t dosDateTime;
    std::uint64_t write, access, creation;
  };
  const std::string allTimes = ExtendedTimestampBlock(kModified, kAccessed, kCreated);
  const std::vector<Case> cases = {
      {"no extra field", "", dos, dosAsUtc, dosAsUtc, dosAsUtc},
      {"all three times", allTimes, dos, FileTimeOf(kModified), FileTimeOf(kAccessed),
       FileTimeOf(kCreated)},
      {"modification only", ExtendedTimestampBlock(kModified), dos, FileTimeOf(kModified), dosAsUtc,
       dosAsUtc},
      {"access and creation", ExtendedTimestampBlock(std::nullopt, kAccessed, kCreated), dos,
       dosAsUtc, FileTimeOf(kAccessed), FileTimeOf(kCreated)},
      {"after another block", ExtraBlock(0x7875, "\x01\x04\xE8\x03\x00\x00") + allTimes, dos,
       FileTimeOf(kModified), FileTimeOf(kAccessed), FileTimeOf(kCreated)},
      {"only the first UT block counts", ExtendedTimestampBlock(kAccessed) + allTimes, dos,
       FileTimeOf(kAccessed), dosAsUtc, dosAsUtc},
      {"flags promise more than the block holds",
       ExtraBlock(0x5455, std::string("\x07", 1) + allTimes.substr(5, 4)) +
           ExtraBlock(0x000A, std::string(8, '\x01')),
       dos, FileTimeOf(kModified), dosAsUtc, dosAsUtc},
      {"fewer than five bytes left", std::string("UT\x01", 3), dos, dosAsUtc, dosAsUtc, dosAsUtc},
      {"block longer than the field", std::string("AB\xFF\x00xyz", 7) + allTimes, dos, dosAsUtc,
       dosAsUtc, dosAsUtc},
      {"invalid DOS date", "", DosDateTime(2021, 13, 1, 0, 0, 0), 0, 0, 0},
      {"invalid DOS date with UT", ExtendedTimestampBlock(kModified),
       DosDateTime(2021, 2, 29, 0, 0, 0), FileTimeOf(kModified), 0, 0},
  };
  ZipBuilder builder;
  for (const Case& c : cases) {
    ZipMember member = Member(c.label);
    member.localExtra = c.localExtra;
    member.dosDateTime = c.dosDateTime;
    // The central copy of the block is not the one that counts.
    member.centralExtra = ExtendedTimestampBlock(12345);
    builder.Add(member);
  }
  const ZipImage image = builder.Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    UnzipEntry entry;
    ASSERT_EQ(UnzipGetEntry(zip.get(), static_cast<int>(i), &entry), UZR_OK) << cases[i].label;
    EXPECT_EQ(entry.writeTime, cases[i].write) << cases[i].label;
    EXPECT_EQ(entry.accessTime, cases[i].access) << cases[i].label;
    EXPECT_EQ(entry.creationTime, cases[i].creation) << cases[i].label;
  }
}

TEST(UnzipEntries, LocalHeaderMustMatchTheCentralRecord) {
  struct Case {
    const char* label;
    ZipMember member;
    // Applied to the built archive; the member's local header is at `local`.
    void (*patch)(std::string& bytes, std::size_t local);
    ZRESULT expected;
  };
  const auto with = [](auto change) {
    ZipMember member = Member("m.txt", SemiRandomText(300));
    change(member);
    return member;
  };
  const auto none = [](std::string&, std::size_t) {};
  const std::vector<Case> cases = {
      {"matching", with([](ZipMember&) {}), none, UZR_OK},
      {"local method differs", with([](ZipMember& m) { m.localMethod = 0; }), none, UZR_CORRUPT},
      {"unsupported method in both", with([](ZipMember& m) { m.method = 12; }), none, UZR_CORRUPT},
      {"local signature wrong", with([](ZipMember&) {}),
       [](std::string& b, std::size_t local) { b[local + 3] = 0x05; }, UZR_CORRUPT},
      {"local CRC differs", with([](ZipMember&) {}),
       [](std::string& b, std::size_t local) { b[local + 14] ^= 1; }, UZR_CORRUPT},
      {"local compressed size differs", with([](ZipMember&) {}),
       [](std::string& b, std::size_t local) { b[local + 18] ^= 1; }, UZR_CORRUPT},
      {"local size differs", with([](ZipMember&) {}),
       [](std::string& b, std::size_t local) { b[local + 22] ^= 1; }, UZR_CORRUPT},
      {"zero local sizes with a data descriptor",
       with([](ZipMember& m) { m.dataDescriptor = true; }), none, UZR_OK},
      {"stored, zero local sizes with a data descriptor",
       with([](ZipMember& m) { m.dataDescriptor = true, m.method = 0; }), none, UZR_OK},
      {"local extra field beyond the block", with([](ZipMember&) {}),
       [](std::string& b, std::size_t local) { PutLe16(b, local + 28, 0xFFFF); }, UZR_READ},
  };
  for (const Case& c : cases) {
    ZipImage image = ZipBuilder().Add(c.member).Build();
    c.patch(image.bytes, image.localHeaders[0]);
    OpenArchive zip(image.bytes);
    ASSERT_TRUE(zip) << c.label;
    UnzipEntry entry;
    EXPECT_EQ(UnzipGetEntry(zip.get(), 0, &entry), c.expected) << c.label;
  }
  // A local header offset past the end of the block.
  ZipImage image = ZipBuilder().Add(Member("m.txt")).Build();
  PutLe32(image.bytes, image.centralRecords[0] + 42, 0x7FFFFFF0);
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry entry;
  EXPECT_EQ(UnzipGetEntry(zip.get(), 0, &entry), UZR_CORRUPT);
}

TEST(UnzipEntries, UnreadableCentralRecordsAreCorrupt) {
  ZipImage image = ZipBuilder().Add(Member("a.txt")).Add(Member("b.txt")).Build();
  // The second record's signature is spoiled: the first stays readable.
  image.bytes[image.centralRecords[1]] = 'Q';
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry entry;
  EXPECT_EQ(UnzipGetEntry(zip.get(), 1, &entry), UZR_CORRUPT);
  EXPECT_EQ(UnzipGetEntry(zip.get(), 0, &entry), UZR_OK);
  EXPECT_EQ(entry.name, "a.txt");
  EXPECT_EQ(UnzipGetEntry(zip.get(), 1, &entry), UZR_CORRUPT);
}

}  // namespace
