// Opening archives from memory, handles and the last-result value.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "install/zip/Unzip.h"
#include "install/zip/UnzipHandle.h"
#include "install/zip/ZipReader.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipBuilder.h"
#include "tests/support/ZipTestHelpers.h"

namespace {

using namespace kv::zip;
using namespace kv::test;

ZipMember Member(std::string name, std::string content, std::uint16_t method = 8) {
  ZipMember member;
  member.name = std::move(name);
  member.content = std::move(content);
  member.method = method;
  return member;
}

ZipImage SmallArchive() {
  return ZipBuilder()
      .Add(Member("systemset.ini", "[Setting]\r\nstart=-1\r\n", 8))
      .Add(Member("readme.txt", "stored text", 0))
      .Build();
}

TEST(UnzipOpen, BlocksWithoutAReadableArchiveGiveNoHandle) {
  const ZipImage image = SmallArchive();
  const std::size_t end = image.endRecord;
  const auto patched = [&](std::size_t at, std::uint32_t value, bool wide) {
    std::string bytes = image.bytes;
    wide ? PutLe32(bytes, at, value) : PutLe16(bytes, at, static_cast<std::uint16_t>(value));
    return bytes;
  };
  struct Case {
    const char* label;
    std::string block;
  };
  const std::vector<Case> cases = {
      {"empty block", ""},
      {"text that is not an archive", "[Setting]\r\nstart=1001\r\n"},
      {"three bytes of a signature", "PK\x05"},
      {"end signature without a whole record", std::string("PK\x05\x06", 4) + "0123456789"},
      {"this disk is not 0", patched(end + 4, 1, false)},
      {"directory disk is not 0", patched(end + 6, 1, false)},
      {"entry counts differ", patched(end + 8, 1, false)},
      {"directory offset beyond the end record", patched(end + 16, 0x7FFFFFFF, true)},
      {"directory size beyond the end record", patched(end + 12, end + 1, true)},
      {"end record further back than the longest comment",
       image.bytes + std::string(65536 + 22, '\0')},
  };
  for (const Case& c : cases) {
    g_unzipLastResult = UZR_OK;
    HZIP zip = UnzipOpenMemory(c.block.data(), c.block.size());
    EXPECT_EQ(zip, nullptr) << c.label;
    EXPECT_EQ(g_unzipLastResult, UZR_NOFILE) << c.label;
    if (zip != nullptr) {
      UnzipClose(zip);
    }
  }
  g_unzipLastResult = UZR_OK;
  EXPECT_EQ(UnzipOpenMemory(nullptr, 100), nullptr);
  EXPECT_EQ(g_unzipLastResult, UZR_NOFILE);
}

TEST(UnzipOpen, ArchiveCommentsUpToTheLongestDoNotPreventOpening) {
  for (const std::size_t length : {0u, 1u, 1024u, 1027u, 1028u, 65534u, 65535u}) {
    const ZipImage image =
        ZipBuilder().Add(Member("a.txt", "alpha")).Comment(std::string(length, 'c')).Build();
    OpenArchive zip(image.bytes);
    ASSERT_TRUE(zip) << "comment of " << length << " bytes";
    UnzipEntry entry;
    EXPECT_EQ(UnzipGetEntry(zip.get(), -1, &entry), UZR_OK);
    EXPECT_EQ(entry.index, 1);
    EXPECT_EQ(UnzipGetEntry(zip.get(), 0, &entry), UZR_OK) << "comment of " << length;
    EXPECT_EQ(entry.name, "a.txt");
  }
}

TEST(UnzipOpen, ArchiveBehindAPrefixIsReadInPlace) {
  // A stub in front, as in a self-extracting file; it even holds a local
  // header signature that must not be mistaken for the first member.
  std::string stub =
      "\x7F"
      "ELF stub " +
      std::string("PK\x03\x04", 4);
  stub.resize(4099, '.');
  const ZipImage image = ZipBuilder()
                             .Prefix(stub)
                             .Add(Member("deflated.txt", SemiRandomText(40000)))
                             .Add(Member("stored.txt", "stored after a prefix", 0))
                             .Build();
  ScratchFolder scratch;
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  ASSERT_EQ(UnzipSetTargetFolder(zip.get(), scratch.path().string()), UZR_OK);
  UnzipEntry entry;
  ASSERT_EQ(UnzipGetEntry(zip.get(), 1, &entry), UZR_OK);
  EXPECT_EQ(entry.name, "stored.txt");
  EXPECT_EQ(UnzipExtractFile(zip.get(), 0, "deflated.txt"), UZR_OK);
  EXPECT_EQ(UnzipExtractFile(zip.get(), 1, "stored.txt"), UZR_OK);
  EXPECT_EQ(ReadWholeFile(scratch.path() / "deflated.txt"), SemiRandomText(40000));
  EXPECT_EQ(ReadWholeFile(scratch.path() / "stored.txt"), "stored after a prefix");
}

TEST(UnzipOpen, ArchiveWithoutMembersOpensEmpty) {
  const ZipImage image = ZipBuilder().Comment("nothing inside").Build();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry entry;
  EXPECT_EQ(UnzipGetEntry(zip.get(), -1, &entry), UZR_OK);
  EXPECT_EQ(entry.index, 0);
  EXPECT_EQ(UnzipGetEntry(zip.get(), 0, &entry), UZR_ARGS);
  EXPECT_EQ(UnzipExtractFile(zip.get(), 0, "x"), UZR_ARGS);
}

TEST(UnzipHandles, NullAndForeignHandlesAreRefused) {
  UnzipHandle foreign;
  foreign.tag = kReaderHandleTag + 1;
  struct Case {
    const char* label;
    HZIP handle;
    ZRESULT expected;
  };
  for (const Case& c : {Case{"null handle", nullptr, UZR_ARGS},
                        Case{"handle that is not a reader", &foreign, UZR_NOTREADER}}) {
    UnzipEntry entry;
    EXPECT_EQ(UnzipSetTargetFolder(c.handle, "/tmp"), c.expected) << c.label;
    EXPECT_EQ(UnzipGetEntry(c.handle, -1, &entry), c.expected) << c.label;
    EXPECT_EQ(UnzipExtractFile(c.handle, 0, "x"), c.expected) << c.label;
    EXPECT_EQ(UnzipClose(c.handle), c.expected) << c.label;
  }
}

TEST(UnzipHandles, IndicesOutsideTheArchiveAreRefused) {
  const ZipImage image = SmallArchive();
  OpenArchive zip(image.bytes);
  ASSERT_TRUE(zip);
  UnzipEntry entry;
  EXPECT_EQ(UnzipGetEntry(zip.get(), -2, &entry), UZR_ARGS);
  EXPECT_EQ(UnzipGetEntry(zip.get(), 2, &entry), UZR_ARGS);
  EXPECT_EQ(UnzipGetEntry(zip.get(), 0, nullptr), UZR_ARGS);
  EXPECT_EQ(UnzipExtractFile(zip.get(), -1, "x"), UZR_ARGS);
  EXPECT_EQ(UnzipExtractFile(zip.get(), 2, "x"), UZR_ARGS);
  EXPECT_EQ(UnzipGetEntry(zip.get(), 1, &entry), UZR_OK);
  EXPECT_EQ(entry.name, "readme.txt");
}

TEST(UnzipHandles, EveryCallStoresItsResult) {
  ScratchFolder scratch;
  ZipMember readOnly = Member("locked.txt", "read-only", 0);
  readOnly.externalAttributes = kAttrReadOnly | kAttrArchive;
  ZipMember encrypted = Member("secret.txt", "hidden");
  encrypted.password = "secret";
  ZipMember mismatched = Member("mismatch.txt", "data");
  mismatched.localMethod = 0;
  const ZipImage image = ZipBuilder().Add(readOnly).Add(encrypted).Add(mismatched).Build();
  const std::string notAnArchive = "plain text";
  UnzipHandle foreign;
  foreign.tag = 7;

  HZIP zip = nullptr;
  UnzipEntry entry;
  struct Step {
    const char* label;
    std::function<ZRESULT()> call;
    ZRESULT expected;
  };
  const std::vector<Step> steps = {
      {"open garbage",
       [&] {
         UnzipOpenMemory(notAnArchive.data(), notAnArchive.size());
         return g_unzipLastResult;
       },
       UZR_NOFILE},
      {"open",
       [&] {
         zip = UnzipOpenMemory(image.bytes.data(), image.bytes.size());
         return zip != nullptr ? UZR_OK : UZR_NOFILE;
       },
       UZR_OK},
      {"set target", [&] { return UnzipSetTargetFolder(zip, scratch.path().string()); }, UZR_OK},
      {"count", [&] { return UnzipGetEntry(zip, -1, &entry); }, UZR_OK},
      {"index too large", [&] { return UnzipGetEntry(zip, 3, &entry); }, UZR_ARGS},
      {"describe", [&] { return UnzipGetEntry(zip, 0, &entry); }, UZR_OK},
      {"describe mismatch", [&] { return UnzipGetEntry(zip, 2, &entry); }, UZR_CORRUPT},
      {"extract", [&] { return UnzipExtractFile(zip, 0, "locked.txt"); }, UZR_OK},
      {"extract over read-only", [&] { return UnzipExtractFile(zip, 0, "locked.txt"); },
       UZR_NOFILE},
      {"extract encrypted", [&] { return UnzipExtractFile(zip, 1, "secret.txt"); }, UZR_PASSWORD},
      {"extract mismatch", [&] { return UnzipExtractFile(zip, 2, "m.txt"); }, UZR_INFLATE},
      {"close foreign", [&] { return UnzipClose(&foreign); }, UZR_NOTREADER},
      {"close null", [&] { return UnzipClose(nullptr); }, UZR_ARGS},
      {"close", [&] { return UnzipClose(zip); }, UZR_OK},
  };
  for (const Step& step : steps) {
    g_unzipLastResult = 0xDEADBEEF;
    const ZRESULT result = step.call();
    EXPECT_EQ(result, step.expected) << step.label;
    EXPECT_EQ(g_unzipLastResult, result) << step.label;
  }
}

}  // namespace
