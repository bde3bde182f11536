// Damaged archives: cut short at every byte, or with any one byte spoiled.
// Nothing may crash, read outside the block (the sanitizer build watches) or
// write outside the target folder, and a member reported as extracted must
// hold exactly its original content.

#include <gtest/gtest.h>

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

struct Original {
  std::vector<std::string> contents;
  ZipImage image;
};

Original SmallMixedArchive() {
  Original original;
  ZipBuilder builder;
  const auto add = [&](ZipMember member) {
    original.contents.push_back(member.content);
    builder.Add(std::move(member));
  };
  ZipMember stored;
  stored.name = "stored.txt";
  stored.content = "stored text";
  stored.method = 0;
  stored.localExtra = ExtendedTimestampBlock(1600000000, 1600000001);
  add(stored);
  ZipMember deflated;
  deflated.name = "dir/deflated.txt";
  deflated.content = SemiRandomText(300);
  add(deflated);
  ZipMember described;
  described.name = "descriptor.txt";
  described.content = SemiRandomText(120, 4);
  described.dataDescriptor = true;
  add(described);
  ZipMember folder;
  folder.name = "folder/";
  folder.method = 0;
  folder.externalAttributes = kAttrDirectory;
  add(folder);
  original.image = builder.Prefix("stub").Comment("comment").Build();
  return original;
}

// Walks and extracts every member; what is reported as extracted must hold
// its original content. Returns whether the block opened.
bool ExtractMembers(const std::string& block, const Original& original, const fs::path& target,
                    const std::string& label) {
  OpenArchive zip(block);
  if (!zip) {
    EXPECT_EQ(g_unzipLastResult, UZR_NOFILE) << label;
    return false;
  }
  UnzipSetTargetFolder(zip.get(), target.string());
  UnzipEntry count;
  EXPECT_EQ(UnzipGetEntry(zip.get(), -1, &count), UZR_OK) << label;
  for (int i = 0; i < count.index; ++i) {
    UnzipEntry entry;
    if (UnzipGetEntry(zip.get(), i, &entry) != UZR_OK) {
      EXPECT_NE(UnzipExtractFile(zip.get(), i, "unreadable"), UZR_OK) << label;
      continue;
    }
    if (UnzipExtractFile(zip.get(), i, entry.name) != UZR_OK ||
        (entry.attributes & kAttrDirectory) != 0 ||
        static_cast<std::size_t>(i) >= original.contents.size()) {
      continue;
    }
    EXPECT_EQ(ReadWholeFile(target / entry.name), original.contents[i])
        << label << ", member " << i;
  }
  return true;
}

// Extracts `block` into an empty target folder inside `scratch` and checks
// that nothing was written beside it.
bool ExtractAll(const std::string& block, const Original& original, const ScratchFolder& scratch,
                const std::string& label) {
  const fs::path target = scratch.path() / "target";
  fs::remove_all(target);
  const bool opened = ExtractMembers(block, original, target, label);
  for (const std::string& path : ListTree(scratch.path())) {
    EXPECT_TRUE(path == "target" || path.starts_with("target/")) << label << ": " << path;
  }
  return opened;
}

TEST(UnzipRobustness, ArchiveCutAtEveryByte) {
  const Original original = SmallMixedArchive();
  const std::string& whole = original.image.bytes;
  ScratchFolder scratch;
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    // A copy of exactly `length` bytes, so that reading past it is caught.
    const std::string block = whole.substr(0, length);
    const std::string label = "cut to " + std::to_string(length) + " bytes";
    const bool opened = ExtractAll(block, original, scratch, label);
    // Only the comment may be cut without losing the archive.
    EXPECT_EQ(opened, length >= original.image.endRecord + 22) << label;
  }
}

TEST(UnzipRobustness, AnyOneByteSpoiled) {
  const Original original = SmallMixedArchive();
  ScratchFolder scratch;
  for (const unsigned char spoiler : {0x00, 0xFF, 0x2F}) {
    for (std::size_t at = 0; at < original.image.bytes.size(); ++at) {
      std::string block = original.image.bytes;
      if (static_cast<unsigned char>(block[at]) == spoiler) {
        continue;
      }
      block[at] = static_cast<char>(spoiler);
      ExtractAll(block, original, scratch,
                 "byte " + std::to_string(at) + " set to " + std::to_string(spoiler));
    }
  }
}

}  // namespace
