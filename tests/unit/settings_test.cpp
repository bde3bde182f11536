#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/Decimal.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "tests/support/SandboxEnvironment.h"

namespace {

namespace fs = std::filesystem;
using kv::app::DecodeAccountText;
using kv::app::ParseDecimal;
using kv::app::ReadProfileString;
using kv::app::ReadSetting;
using kv::app::WriteProfileString;
using kv::app::WriteSetting;

// The default settings file as it is shipped: 13 lines, CR LF, 160 bytes.
const std::string kShippedFile =
    "[Info]\r\n"
    "code=\r\n"
    "pwd=\r\n"
    "rem=1\r\n"
    "[Setting]\r\n"
    "soundoff=0\r\n"
    "autostart=0\r\n"
    "autologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\n"
    "screentoggle=F10\r\n"
    "fullscreen=F11\r\n"
    "[Start]\r\n"
    "firststart=1\r\n";

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(stream.good()) << path;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) {
    text += piece;
  }
  return text;
}

// Standard Base64 with '=' fill, written independently of the decoder.
std::string EncodeBase64(const std::string& bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// The settings file of the program folder.

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = kv::app::GetSettingsPath();
    // Never touch a real user's settings: the program folder must be the sandbox's.
    ASSERT_EQ(path_.rfind(kv::test::SandboxDataHome().string() + "/", 0), 0u) << path_;
    fs::remove(path_);
  }
  void CreateResFolder() { fs::create_directories(fs::path(path_).parent_path()); }

  std::string path_;
};

TEST_F(SettingsFileTest, PathIsTheResFileOfTheProgramFolder) {
  EXPECT_EQ(kv::app::GetSettingsPath(), kv::app::GetProgramFolder() + "res//systemset.ini");
  EXPECT_EQ(kv::app::GetProgramFolder(),
            kv::test::SandboxDataHome().string() + "/rozovizo_7/kovr/");
}

// The keys the program reads, with the fallbacks their readers pass.
struct KeyFallback {
  const char* section;
  const char* key;
  const char* fallback;
};
constexpr KeyFallback kReadKeys[] = {
    {"Info", "code", ""},
    {"Info", "pwd", ""},
    {"Info", "rem", "1"},
    {"Setting", "autologin", "0"},
    {"Setting", "screentoggle", "0"},
    {"Setting", "fullscreen", "0"},
    {"Setting", "start", "-1"},
    {"Start", "firststart", "0"},
};

TEST_F(SettingsFileTest, MissingFileSectionOrKeyGivesTheFallback) {
  struct Case {
    const char* name;
    bool makeFile;
    std::string contents;
  };
  const Case cases[] = {
      {"no res folder", false, ""},
      {"no file", false, ""},
      {"empty file", true, ""},
      {"other sections only", true, "[Other]\r\nrem=0\r\nstart=1001\r\n"},
      {"sections without the keys", true, "[Info]\r\nx=1\r\n[Setting]\r\n[Start]\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(fs::path(path_).parent_path());
    if (std::string(c.name) != "no res folder") {
      CreateResFolder();
    }
    if (c.makeFile) {
      WriteBytes(path_, c.contents);
    }
    for (const KeyFallback& k : kReadKeys) {
      EXPECT_EQ(ReadSetting(k.section, k.key, k.fallback), k.fallback) << k.section << "/" << k.key;
    }
  }
  // What the readers make of those fallbacks.
  EXPECT_EQ(ParseDecimal(ReadSetting("Setting", "start", "-1")), -1);
  EXPECT_EQ(ParseDecimal(ReadSetting("Start", "firststart", "0")), 0);
  EXPECT_TRUE(kv::app::IsFlagOn(ReadSetting("Info", "rem", "1")));
  EXPECT_FALSE(kv::app::IsFlagOn(ReadSetting("Setting", "autologin", "0")));
}

TEST_F(SettingsFileTest, ShippedFileReadsBackEveryValue) {
  ASSERT_EQ(kShippedFile.size(), 160u);
  CreateResFolder();
  WriteBytes(path_, kShippedFile);
  struct Expected {
    const char* section;
    const char* key;
    const char* value;
  };
  const Expected expected[] = {
      {"Info", "code", ""},
      {"Info", "pwd", ""},
      {"Info", "rem", "1"},
      {"Setting", "soundoff", "0"},
      {"Setting", "autostart", "0"},
      {"Setting", "autologin", "0"},
      {"Setting", "screenshots", "Ctrl+Shift+A"},
      {"Setting", "screentoggle", "F10"},
      {"Setting", "fullscreen", "F11"},
      {"Start", "firststart", "1"},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(ReadSetting(e.section, e.key, "fallback"), e.value) << e.section << "/" << e.key;
  }
  // `start` is not shipped: its fallback says the defaults still have to be unpacked.
  EXPECT_EQ(ReadSetting("Setting", "start", "-1"), "-1");
}

TEST_F(SettingsFileTest, WriteNeedsTheResFolderAndCreatesFileSectionAndKey) {
  const fs::path resFolder = fs::path(path_).parent_path();
  fs::remove_all(resFolder);
  EXPECT_FALSE(WriteSetting("Setting", "start", "1001"));
  EXPECT_FALSE(fs::exists(resFolder)) << "a write must not create the folder";

  CreateResFolder();
  ASSERT_TRUE(WriteSetting("Setting", "start", "1001"));
  EXPECT_EQ(ReadBytes(path_), "[Setting]\r\nstart=1001\r\n");
  ASSERT_TRUE(WriteSetting("Start", "firststart", "0"));
  ASSERT_TRUE(WriteSetting("Setting", "start", "1002"));
  EXPECT_EQ(ReadBytes(path_), "[Setting]\r\nstart=1002\r\n[Start]\r\nfirststart=0\r\n");
  EXPECT_EQ(ReadSetting("Setting", "start", "-1"), "1002");
  EXPECT_EQ(ReadSetting("Start", "firststart", "9"), "0");
  EXPECT_EQ(FolderEntries(resFolder), std::vector<std::string>{"systemset.ini"})
      << "no temporary file may be left behind";
}

TEST_F(SettingsFileTest, StartMarkerFollowsTheDecimalRule) {
  struct Case {
    const char* line;  // the `start` line of the file, or empty for none
    bool unpacked;
  };
  const Case cases[] = {
      {"start=1001", true},
      {"start= 1001", true},
      {"start=\t 1001", true},
      {"start=01001", true},
      {"start=1001abc", true},
      {"start=+1001", true},
      {"start=1001 2", true},
      {"start=1000", false},
      {"start=10010", false},
      {"start=-1001", false},
      {"start=abc1001", false},
      {"start=", false},
      {"", false},
  };
  CreateResFolder();
  for (const Case& c : cases) {
    WriteBytes(path_, std::string("[Setting]\r\nautologin=0\r\n") + c.line + "\r\n");
    const bool unpacked = ParseDecimal(ReadSetting("Setting", "start", "-1")) == 1001;
    EXPECT_EQ(unpacked, c.unpacked) << "line \"" << c.line << "\"";
  }
}

TEST_F(SettingsFileTest, RememberFlagIsOffOnlyForZero) {
  struct Case {
    const char* infoLines;
    const char* read;
    bool on;
  };
  const Case cases[] = {
      {"rem=0\r\n", "0", false},  {"rem= 0 \r\n", "0", false}, {"REM=0\r\n", "0", false},
      {"rem=1\r\n", "1", true},   {"rem=\r\n", "", true},      {"rem=00\r\n", "00", true},
      {"rem=0x\r\n", "0x", true}, {"rem=no\r\n", "no", true},  {"code=\r\n", "1", true},
      {"rem=-0\r\n", "-0", true},
  };
  CreateResFolder();
  for (const Case& c : cases) {
    WriteBytes(path_, std::string("[Info]\r\n") + c.infoLines);
    const std::string value = ReadSetting("Info", "rem", "1");
    EXPECT_EQ(value, c.read) << c.infoLines;
    EXPECT_EQ(kv::app::IsFlagOn(value), c.on) << c.infoLines;
  }
}

// ---------------------------------------------------------------------------
// Reading any file.

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = kv::test::MakeScratchFolder("profile");
    path_ = (folder_ / "test.ini").string();
  }
  std::string ReadFrom(const std::string& contents, std::string_view section, std::string_view key,
                       std::string_view fallback = "<fallback>") {
    WriteBytes(path_, contents);
    return ReadProfileString(path_, section, key, fallback);
  }

  fs::path folder_;
  std::string path_;
};

TEST_F(ProfileFileTest, ReadsByTheTextRules) {
  struct Case {
    const char* name;
    std::string contents;
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"lower-case names", kShippedFile, "setting", "fullscreen", "F11"},
      {"upper-case names", kShippedFile, "SETTING", "FULLSCREEN", "F11"},
      {"mixed-case file names", "[sEtTiNg]\r\nAutoLogin=1\r\n", "Setting", "autologin", "1"},
      {"non-ASCII names keep their case", "[Été]\r\nk=1\r\n", "éTÉ", "k", "<fallback>"},
      {"value runs to the line end", "[a]\r\nk=x=y; z\r\n", "a", "k", "x=y; z"},
      {"blanks around key and value", "[a]\r\n \t k \t= \t v w \t\r\n", "a", "k", "v w"},
      {"blanks inside the brackets", "  [ a ]  \r\nk=1\r\n", "a", "k", "1"},
      {"text after the header", "[a] trailing\r\nk=1\r\n", "a", "k", "1"},
      {"empty value is not missing", "[a]\r\nk=\r\n", "a", "k", ""},
      {"blank-only value", "[a]\r\nk=   \r\n", "a", "k", ""},
      {"key without '=' is not a key", "[a]\r\nk\r\n", "a", "k", "<fallback>"},
      {"comment line", "[a]\r\n;k=1\r\n", "a", ";k", "<fallback>"},
      {"key before any section", "k=1\r\n[a]\r\n", "a", "k", "<fallback>"},
      {"first key of a name wins", "[a]\r\nk=1\r\nK=2\r\n", "a", "k", "1"},
      {"first section of a name wins", "[a]\r\nx=1\r\n[b]\r\n[A]\r\nk=2\r\n", "a", "k",
       "<fallback>"},
      {"key of another section", "[a]\r\n[b]\r\nk=1\r\n", "a", "k", "<fallback>"},
      {"section header without ']'", "[a]\r\n[b\r\nk=1\r\n", "a", "k", "1"},
      {"LF line endings", "[a]\nk=1\nj=2\n", "a", "j", "2"},
      {"no final line ending", "[a]\r\nk=1", "a", "k", "1"},
      {"CR only in the middle", "[a]\r\nk=1\r2\r\n", "a", "k", "1\r2"},
      {"byte-order mark", "\xEF\xBB\xBF[a]\r\nk=1\r\n", "a", "k", "1"},
      {"NUL ends the value", std::string("[a]\r\nk=ab\0cd\r\n", 14), "a", "k", "ab"},
      {"stray bytes become U+FFFD", "[a]\r\nk=a\xFF\xC3(b\r\n", "a", "k",
       "a\xEF\xBF\xBD\xEF\xBF\xBD(b"},
      {"UTF-8 kept", "[a]\r\nk=登入器\r\n", "a", "k", "登入器"},
      {"empty section name asked", "[]\r\nk=1\r\n", "", "k", "<fallback>"},
      {"empty key name asked", "[a]\r\n=1\r\n", "a", "", "<fallback>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFrom(c.contents, c.section, c.key), c.expected) << c.name;
  }
}

TEST_F(ProfileFileTest, LongValuesAreCutTo259Utf16Units) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
  struct Case {
    const char* name;
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {"300 ASCII characters", std::string(300, 'x'), std::string(259, 'x')},
      {"259 characters stay", std::string(259, 'y'), std::string(259, 'y')},
      {"260 characters", std::string(260, 'z'), std::string(259, 'z')},
      {"two-byte characters", Repeat("é", 300), Repeat("é", 259)},
      {"surrogate pairs are not split", Repeat(emoji, 200), Repeat(emoji, 129)},
      {"pair just fitting", "a" + Repeat(emoji, 200), "a" + Repeat(emoji, 129)},
      {"stray bytes count one each", std::string(300, '\xFF'), Repeat("\xEF\xBF\xBD", 259)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFrom("[a]\r\nk=" + c.value + "\r\n", "a", "k"), c.expected) << c.name;
    // The fallback passes through the same limit.
    fs::remove(path_);
    EXPECT_EQ(ReadProfileString(path_, "a", "k", c.value), c.expected) << c.name << " (fallback)";
  }
}

TEST_F(ProfileFileTest, UnreadableFilesGiveTheFallback) {
  fs::create_directory(path_);  // a folder where the file should be
  EXPECT_EQ(ReadProfileString(path_, "a", "k", "fb"), "fb");
  EXPECT_FALSE(WriteProfileString(path_, "a", "k", "1"));
  EXPECT_TRUE(fs::is_directory(path_));
}

// ---------------------------------------------------------------------------
// Writing any file.

TEST_F(ProfileFileTest, WriteChangesOnlyTheBytesOfOneKey) {
  const std::string shippedWithStart =
      "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\n"
      "autologin=0\r\nscreenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n"
      "start=1001\r\n[Start]\r\nfirststart=1\r\n";
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const Case cases[] = {
      {"new key in the shipped file", kShippedFile, "Setting", "start", "1001", shippedWithStart},
      {"existing key in the shipped file", kShippedFile, "Start", "firststart", "0",
       kShippedFile.substr(0, 146) + "firststart=0\r\n"},
      {"first section's key", kShippedFile, "Info", "rem", "0",
       "[Info]\r\ncode=\r\npwd=\r\nrem=0\r\n" + kShippedFile.substr(28)},
      {"value made empty", kShippedFile, "Setting", "fullscreen", "",
       kShippedFile.substr(0, 121) + "fullscreen=\r\n" + kShippedFile.substr(137)},
      {"names in another case keep the file's spelling", shippedWithStart, "SETTING", "START", "7",
       shippedWithStart.substr(0, 137) + "start=7\r\n" + shippedWithStart.substr(149)},
      {"new section at the end", kShippedFile, "Extra", "k", "v",
       kShippedFile + "[Extra]\r\nk=v\r\n"},
      {"new file", "", "Setting", "start", "1001", "[Setting]\r\nstart=1001\r\n"},
      {"LF file keeps LF", "[a]\nx=1\n\n[b]\ny=2\n", "a", "z", "3", "[a]\nx=1\nz=3\n\n[b]\ny=2\n"},
      {"LF file, new section", "[a]\nx=1\n", "b", "y", "2", "[a]\nx=1\n[b]\ny=2\n"},
      {"style comes from the first line ending", "[a]\r\nx=1\n", "a", "y", "2",
       "[a]\r\nx=1\ny=2\r\n"},
      {"no final line ending, new key", "[a]\r\nx=1", "a", "y", "2", "[a]\r\nx=1\r\ny=2\r\n"},
      {"no final line ending, existing key", "[a]\r\nx=1", "a", "x", "22", "[a]\r\nx=22"},
      {"no final line ending, new section", "[a]\r\nx=1", "b", "y", "2",
       "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
      {"header alone at the end", "[a]", "a", "y", "2", "[a]\r\ny=2\r\n"},
      {"blank lines stay after the section", "[a]\r\nx=1\r\n\r\n\r\n[b]\r\n", "a", "y", "2",
       "[a]\r\nx=1\r\ny=2\r\n\r\n\r\n[b]\r\n"},
      {"spacing up to '=' kept", "[a]\r\n  x = 1  \r\n;note\r\n", "a", "x", "5",
       "[a]\r\n  x =5\r\n;note\r\n"},
      {"comments and junk kept", "; top\r\n[a]\r\n;c\r\njunk\r\n[b]\r\n", "a", "k", "v",
       "; top\r\n[a]\r\n;c\r\njunk\r\nk=v\r\n[b]\r\n"},
      {"first of two same-named sections", "[a]\r\nx=1\r\n[A]\r\ny=2\r\n", "a", "y", "3",
       "[a]\r\nx=1\r\ny=3\r\n[A]\r\ny=2\r\n"},
      {"same key in other sections untouched", "[b]\r\nk=1\r\n[a]\r\nk=2\r\n", "a", "k", "3",
       "[b]\r\nk=1\r\n[a]\r\nk=3\r\n"},
      {"byte-order mark kept", "\xEF\xBB\xBF[a]\r\nx=1\r\n", "a", "x", "2",
       "\xEF\xBB\xBF[a]\r\nx=2\r\n"},
      {"value with '=' and blanks", "[a]\r\nx=1\r\n", "a", "x", " p=q ", "[a]\r\nx= p=q \r\n"},
      {"stray CR before the line ending belongs to the old value", "[a]\r\nx=1\r\r\ny=2\r\n", "a",
       "x", "3", "[a]\r\nx=3\r\ny=2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.before.empty()) {
      fs::remove(path_);
    } else {
      WriteBytes(path_, c.before);
    }
    ASSERT_TRUE(WriteProfileString(path_, c.section, c.key, c.value));
    EXPECT_EQ(ReadBytes(path_), c.after);
    std::string stored = c.value;
    stored.erase(0, stored.find_first_not_of(' '));
    stored.erase(stored.find_last_not_of(' ') + 1);
    EXPECT_EQ(ReadProfileString(path_, c.section, c.key, "<fallback>"), stored);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"test.ini"});
  }
}

TEST_F(ProfileFileTest, WritesThatCouldNotReadBackAreRefused) {
  struct Case {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
  };
  const Case cases[] = {
      {"empty section", "", "k", "v"},
      {"empty key", "a", "", "v"},
      {"line feed in the value", "a", "k", "v\nw"},
      {"CR in the value", "a", "k", "v\rw"},
      {"NUL in the value", "a", "k", std::string("v\0w", 3)},
      {"line feed in the key", "a", "k\nx", "v"},
      {"'=' in the key", "a", "k=x", "v"},
      {"key starting with '['", "a", "[k", "v"},
      {"key starting with ';'", "a", ";k", "v"},
      {"']' in the section", "a]b", "k", "v"},
      {"blank around the section", " a", "k", "v"},
      {"blank around the key", "a", "k ", "v"},
  };
  const std::string before = "[a]\r\nk=1\r\n";
  for (const Case& c : cases) {
    WriteBytes(path_, before);
    EXPECT_FALSE(WriteProfileString(path_, c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(ReadBytes(path_), before) << c.name;
  }
}

TEST_F(ProfileFileTest, WriteFailsWithoutItsFolder) {
  const fs::path missing = folder_ / "missing" / "test.ini";
  EXPECT_FALSE(WriteProfileString(missing.string(), "a", "k", "v"));
  EXPECT_FALSE(fs::exists(missing.parent_path()));
}

TEST_F(ProfileFileTest, WriteKeepsPermissionsAndFollowsLinks) {
  WriteBytes(path_, "[a]\r\nk=1\r\n");
  const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(path_, ownerOnly);
  const fs::path link = folder_ / "link.ini";
  fs::create_symlink(path_, link);

  ASSERT_TRUE(WriteProfileString(link.string(), "a", "k", "2"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(path_), "[a]\r\nk=2\r\n");
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, ownerOnly);
}

TEST_F(ProfileFileTest, GarbageAndHugeLinesAreHandled) {
  std::mt19937 random(20240611);
  std::string garbage(64 * 1024, '\0');
  for (char& c : garbage) {
    c = static_cast<char>(random() & 0xFF);
  }
  const std::string megabyte(1024 * 1024, 'A');
  std::string binaryMegabyte(1024 * 1024, '\0');
  for (std::size_t i = 0; i < binaryMegabyte.size(); i += 7) {
    binaryMegabyte[i] = static_cast<char>(i & 0xFF) == '\n' ? 'n' : static_cast<char>(i & 0xFF);
  }
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case cases[] = {
      {"random bytes", garbage},
      {"NUL bytes only", std::string(4096, '\0')},
      {"1 MB line without a line ending", megabyte},
      {"1 MB binary line", binaryMegabyte},
      {"1 MB header line", "[" + megabyte + "\r\n"},
      {"1 MB line before the settings", megabyte + "\r\n" + kShippedFile},
      {"1 MB value among the settings",
       "[Setting]\r\nscreentoggle=" + megabyte + "\r\nfullscreen=F11\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(path_, c.contents);
    const std::string toggle = ReadProfileString(path_, "Setting", "screentoggle", "0");
    EXPECT_LE(toggle.size(), 259u);
    ASSERT_TRUE(WriteProfileString(path_, "Setting", "start", "1001"));
    EXPECT_EQ(ReadProfileString(path_, "Setting", "start", "-1"), "1001");
    EXPECT_EQ(ReadProfileString(path_, "Setting", "screentoggle", "0"), toggle);
    // Nothing but the new lines (and an ending for an unfinished last line) is added.
    const std::size_t feed = c.contents.find('\n');
    const std::size_t eol =
        feed == std::string::npos || (feed > 0 && c.contents[feed - 1] == '\r') ? 2 : 1;
    const bool newSection = toggle == "0";
    const std::string after = ReadBytes(path_);
    EXPECT_EQ(after.size(), c.contents.size() + 10 + eol + (newSection ? 9 + eol : 0) +
                                (newSection && !c.contents.ends_with('\n') ? eol : 0));
    if (newSection) {
      EXPECT_TRUE(after.starts_with(c.contents));
    }
  }
  WriteBytes(path_, "[Setting]\r\nscreentoggle=" + megabyte + "\r\nfullscreen=F11\r\n");
  EXPECT_EQ(ReadProfileString(path_, "Setting", "screentoggle", "0"), std::string(259, 'A'));
  EXPECT_EQ(ReadProfileString(path_, "Setting", "fullscreen", "0"), "F11");
}

TEST_F(ProfileFileTest, OversizedFileIsNeitherReadNorRewritten) {
  const std::string big = "[a]\r\nk=1\r\n" + std::string(17 * 1024 * 1024, ' ');
  WriteBytes(path_, big);
  EXPECT_EQ(ReadProfileString(path_, "a", "k", "fb"), "fb");
  EXPECT_FALSE(WriteProfileString(path_, "a", "k", "2"));
  EXPECT_EQ(fs::file_size(path_), big.size());
}

// ---------------------------------------------------------------------------
// Saved account text.

TEST(AccountText, DecodesBase64) {
  struct Case {
    const char* name;
    std::string base64;
    std::string expected;
  };
  const Case cases[] = {
      {"empty value", "", ""},
      {"one full group", "QUJD", "ABC"},
      {"two groups", "QUJDREVG", "ABCDEF"},
      {"fill characters", "QQ==", "A"},
      {"one fill character", "QUI=", "AB"},
      {"no fill: three characters give two bytes", "QUI", "AB"},
      {"no fill: two characters give one byte", "QQ", "A"},
      {"one lone character gives nothing", "Q", ""},
      {"blanks and line breaks skipped", " QU\r\nJ\tD ", "ABC"},
      {"'=' in the middle skipped", "Q=U=JD", "ABC"},
      {"URL-safe characters skipped", "-_QUJD_-", "ABC"},
      {"nothing of the alphabet", "!!??**", ""},
      {"'+' and '/'", "Pz8/fn5+", "???~~~"},
      {"NUL ends the text", EncodeBase64(std::string("ab\0cd", 5)), "ab"},
      {"leading NUL", EncodeBase64(std::string("\0ab", 3)), ""},
      {"UTF-8 text", EncodeBase64("登入器 player"), "登入器 player"},
      {"invalid UTF-8 becomes U+FFFD", "/w==", "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeAccountText(c.base64), c.expected) << c.name << ": " << c.base64;
  }
}

TEST(AccountText, KeepsAtMost1023Bytes) {
  std::string letters;
  for (int i = 0; i < 2000; ++i) {
    letters += static_cast<char>('a' + i % 26);
  }
  struct Case {
    const char* name;
    std::string decoded;
    std::string expected;
  };
  const Case cases[] = {
      {"1022 bytes", letters.substr(0, 1022), letters.substr(0, 1022)},
      {"1023 bytes", letters.substr(0, 1023), letters.substr(0, 1023)},
      {"1024 bytes: the partial last group is dropped", letters.substr(0, 1024),
       letters.substr(0, 1023)},
      {"1026 bytes: only whole leading groups", letters.substr(0, 1026), letters.substr(0, 1023)},
      {"2000 bytes", letters, letters.substr(0, 1023)},
      {"three-byte characters", Repeat("中", 400), Repeat("中", 341)},
      {"a two-byte character cut at the limit", Repeat("é", 512),
       Repeat("é", 511) + "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeAccountText(EncodeBase64(c.decoded)), c.expected) << c.name;
  }
}

// ---------------------------------------------------------------------------
// The decimal rule for numbers in settings and server replies.

TEST(Decimal, ParsesLeadingSignedDigits) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Case {
    const char* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"0", 0},
      {"1001", 1001},
      {"-42", -42},
      {"+42", 42},
      {"007", 7},
      {"  \t\r\n\v\f42", 42},
      {"42abc", 42},
      {"4 2", 4},
      {"42.9", 42},
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"-", 0},
      {"+", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"0x1F", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"99999999999999999999999999", kMax},
      {"-99999999999999999999999999", kMin},
      {"00000000000000000000000000012", 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseDecimal(c.text), c.expected) << '"' << c.text << '"';
  }
}

}  // namespace
