// Unpacking the defaults archive into the program folder's res sub-folder:
// once per marker, never over the user's settings, and never more than a
// damaged archive really holds.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "install/Setup.h"
#include "res/Resources.h"
#include "tests/support/SandboxEnvironment.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ZipBuilder.h"

namespace {

namespace fs = std::filesystem;
using kv::test::ListTree;
using kv::test::ReadTestFile;
using kv::test::WriteTestFile;
using kv::test::ZipBuilder;
using kv::test::ZipMember;

constexpr const char* kShippedSettings =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\n"
    "autologin=0\r\nscreenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n"
    "[Start]\r\nfirststart=1\r\n";
constexpr const char* kIcon = "icon bytes\x00\x01\x02";

ZipMember Member(std::string name, std::string content) {
  ZipMember member;
  member.name = std::move(name);
  member.content = std::move(content);
  return member;
}

std::string DefaultsArchive() {
  return ZipBuilder()
      .Add(Member("systemset.ini", kShippedSettings))
      .Add(Member("uninstall.ico", std::string(kIcon, 13)))
      .Build()
      .bytes;
}

std::span<const std::uint8_t> Bytes(const std::string& archive) {
  return {reinterpret_cast<const std::uint8_t*>(archive.data()), archive.size()};
}

std::string Setting(const fs::path& programFolder, const char* section, const char* key) {
  return kv::app::ReadProfileString(kv::install::SettingsFileIn(programFolder.string()), section,
                                    key, "(missing)");
}

TEST(UnpackDefaultFiles, UnpacksOnceAndWritesTheMarker) {
  const fs::path pf = kv::test::MakeScratchFolder("unpack-fresh") / "kovr";
  fs::create_directories(pf);
  WriteTestFile(pf / "data.zip", "left over from an old installer");
  const std::string archive = DefaultsArchive();

  kv::install::UnpackDefaultFiles(pf.string(), Bytes(archive));

  EXPECT_EQ(ListTree(pf),
            (std::vector<std::string>{"res", "res/systemset.ini", "res/uninstall.ico"}));
  EXPECT_EQ(ReadTestFile(pf / "res" / "uninstall.ico"), std::string(kIcon, 13));
  EXPECT_EQ(Setting(pf, "Setting", "start"), "1001");
  EXPECT_EQ(Setting(pf, "Setting", "screentoggle"), "F10");
  EXPECT_EQ(Setting(pf, "Start", "firststart"), "1");
  const std::string text = ReadTestFile(pf / "res" / "systemset.ini");
  EXPECT_TRUE(text.starts_with("[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\n")) << text;

  // A second run finds the marker and writes nothing, not even the icon.
  fs::remove(pf / "res" / "uninstall.ico");
  kv::install::UnpackDefaultFiles(pf.string(), Bytes(archive));
  EXPECT_EQ(ReadTestFile(pf / "res" / "systemset.ini"), text);
  EXPECT_FALSE(fs::exists(pf / "res" / "uninstall.ico"));
}

TEST(UnpackDefaultFiles, TheMarkerIsReadAsADecimalNumber) {
  struct Case {
    const char* value;
    bool unpacks;
  };
  const Case cases[] = {
      {"1001", false}, {" 1001", false}, {"01001", false}, {"1001abc", false},
      {"1000", true},  {"-1", true},     {"", true},       {"abc", true},
  };
  const std::string archive = DefaultsArchive();
  for (const Case& c : cases) {
    const fs::path pf = kv::test::MakeScratchFolder("unpack-marker") / "kovr";
    fs::create_directories(pf / "res");
    const std::string before = std::string("[Setting]\r\nstart=") + c.value + "\r\n";
    WriteTestFile(pf / "res" / "systemset.ini", before);
    kv::install::UnpackDefaultFiles(pf.string(), Bytes(archive));
    EXPECT_EQ(fs::exists(pf / "res" / "uninstall.ico"), c.unpacks) << "start=" << c.value;
    if (c.unpacks) {
      EXPECT_EQ(Setting(pf, "Setting", "start"), "1001") << "start=" << c.value;
    } else {
      EXPECT_EQ(ReadTestFile(pf / "res" / "systemset.ini"), before) << "start=" << c.value;
    }
  }
}

TEST(UnpackDefaultFiles, KeepsTheUsersSettingsButRewritesTheIcon) {
  const fs::path pf = kv::test::MakeScratchFolder("unpack-keep") / "kovr";
  fs::create_directories(pf / "res");
  const std::string users = "[Setting]\r\nscreentoggle=F9\r\n";
  WriteTestFile(pf / "res" / "systemset.ini", users);
  WriteTestFile(pf / "res" / "uninstall.ico", "old icon");
  fs::create_directory(pf / "data.zip");  // not a file: left alone

  kv::install::UnpackDefaultFiles(pf.string(), Bytes(DefaultsArchive()));

  EXPECT_EQ(Setting(pf, "Setting", "screentoggle"), "F9");
  EXPECT_EQ(Setting(pf, "Start", "firststart"), "(missing)") << "no default merged in";
  EXPECT_EQ(Setting(pf, "Setting", "start"), "1001");
  EXPECT_TRUE(ReadTestFile(pf / "res" / "systemset.ini").starts_with(users));
  EXPECT_EQ(ReadTestFile(pf / "res" / "uninstall.ico"), std::string(kIcon, 13));
  EXPECT_TRUE(fs::is_directory(pf / "data.zip"));
}

TEST(UnpackDefaultFiles, ADamagedOrMissingArchiveUnpacksNothingButTheMarkerIsWritten) {
  const std::string good = DefaultsArchive();
  ZipMember spoiled = Member("uninstall.ico", std::string(2000, 'i'));
  spoiled.storedData = std::string(300, '\xFF');  // not deflate data
  ZipMember wrongCrc = Member("systemset.ini", kShippedSettings);
  wrongCrc.crc = 0x12345678;
  struct Case {
    const char* name;
    std::string archive;
  };
  const Case cases[] = {
      {"no archive", ""},
      {"not an archive", std::string(4096, 'x')},
      {"cut after the first member", good.substr(0, good.size() / 2)},
      {"cut before the end record", good.substr(0, good.size() - 10)},
      {"only the first bytes", good.substr(0, 4)},
      {"member data spoiled", ZipBuilder().Add(spoiled).Build().bytes},
      {"member CRC wrong", ZipBuilder().Add(wrongCrc).Build().bytes},
  };
  for (const Case& c : cases) {
    const fs::path pf = kv::test::MakeScratchFolder("unpack-damaged") / "kovr";
    fs::create_directories(pf);
    kv::install::UnpackDefaultFiles(pf.string(), Bytes(c.archive));
    EXPECT_EQ(ListTree(pf), (std::vector<std::string>{"res", "res/systemset.ini"})) << c.name;
    EXPECT_EQ(ReadTestFile(pf / "res" / "systemset.ini"), "[Setting]\r\nstart=1001\r\n")
        << c.name << ": only the marker is there";
  }
}

TEST(UnpackDefaultFiles, MembersStayInsideTheResFolder) {
  const fs::path root = kv::test::MakeScratchFolder("unpack-names");
  const fs::path pf = root / "kovr";
  fs::create_directories(pf);
  const std::string archive = ZipBuilder()
                                  .Add(Member("../../escape.ini", "a"))
                                  .Add(Member("/abs/path.txt", "b"))
                                  .Add(Member("sub/inner.txt", "c"))
                                  .Build()
                                  .bytes;
  kv::install::UnpackDefaultFiles(pf.string(), Bytes(archive));
  EXPECT_EQ(ListTree(root),
            (std::vector<std::string>{"kovr", "kovr/res", "kovr/res/abs", "kovr/res/abs/path.txt",
                                      "kovr/res/escape.ini", "kovr/res/sub",
                                      "kovr/res/sub/inner.txt", "kovr/res/systemset.ini"}));
}

TEST(UnpackDefaultFiles, TheShippedArchiveHoldsTheDefaultFiles) {
  const fs::path pf = kv::test::MakeScratchFolder("unpack-shipped") / "kovr";
  fs::create_directories(pf);
  const auto shipped = kv::res::Find(kv::res::Type::kZIP, kv::install::kDefaultsArchiveId);
  ASSERT_FALSE(shipped.empty());
  kv::install::UnpackDefaultFiles(pf.string(), shipped);
  EXPECT_EQ(ReadTestFile(pf / "res" / "uninstall.ico"),
            ReadTestFile(fs::path(KORVANE_SOURCE_DIR) / "res" / "defaults" / "uninstall.ico"));
  const std::string shippedSettings =
      ReadTestFile(fs::path(KORVANE_SOURCE_DIR) / "res" / "defaults" / "systemset.ini");
  ASSERT_EQ(shippedSettings, kShippedSettings);
  // The shipped text, with the marker added to its [Setting] section.
  EXPECT_EQ(Setting(pf, "Setting", "start"), "1001");
  EXPECT_EQ(Setting(pf, "Setting", "fullscreen"), "F11");
  EXPECT_EQ(Setting(pf, "Start", "firststart"), "1");
}

}  // namespace
