#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/FileUtil.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using kv::app::GetFileVersionText;
using kv::test::ReadTestFile;
using kv::test::TempFolder;
using kv::test::WriteTestFile;

constexpr const char* kNoVersion = "None VerSion Supprot";

template <typename T>
void Put(std::string& bytes, std::size_t at, T value) {
  std::memcpy(&bytes[at], &value, sizeof value);
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The version record as the build embeds it: magic, NUL-terminated name/value
// pairs, an empty name at the end.
std::string Record(const Pairs& pairs) {
  std::string record("KVVERSION1\0", 11);
  for (const auto& [name, value] : pairs) {
    record += name + '\0' + value + '\0';
  }
  return record + '\0';
}

// A minimal 64-bit little-endian ELF file: header, section names, one data
// section called `sectionName` holding `data`, and the section table at the end.
std::string BuildElf(const std::string& data, const std::string& sectionName = ".kvversion") {
  const std::string names = std::string("\0.shstrtab\0", 11) + sectionName + '\0';
  std::string file(64, '\0');
  std::memcpy(&file[0], "\177ELF\2\1\1", 7);
  const std::size_t namesAt = file.size();
  file += names;
  const std::size_t dataAt = file.size();
  file += data;
  file.resize((file.size() + 7) / 8 * 8, '\0');
  const std::size_t tableAt = file.size();
  file.resize(tableAt + 3 * 64, '\0');
  Put<std::uint16_t>(file, 0x10, 2);     // executable
  Put<std::uint16_t>(file, 0x12, 0x3E);  // x86-64
  Put<std::uint32_t>(file, 0x14, 1);
  Put<std::uint64_t>(file, 0x28, tableAt);
  Put<std::uint16_t>(file, 0x34, 64);
  Put<std::uint16_t>(file, 0x3A, 64);
  Put<std::uint16_t>(file, 0x3C, 3);
  Put<std::uint16_t>(file, 0x3E, 1);
  auto section = [&](int index, std::uint32_t name, std::uint32_t type, std::size_t at,
                     std::size_t size) {
    const std::size_t header = tableAt + index * 64;
    Put<std::uint32_t>(file, header + 0x00, name);
    Put<std::uint32_t>(file, header + 0x04, type);
    Put<std::uint64_t>(file, header + 0x18, at);
    Put<std::uint64_t>(file, header + 0x20, size);
  };
  section(1, 1, 3 /* string table */, namesAt, names.size());
  section(2, 11, 1 /* program data */, dataAt, data.size());
  return file;
}

const Pairs kOneTranslation = {{"Translation", "080403a8"},
                               {"080403a8/FileVersion", "1.2.3.4"},
                               {"080403a8/ProductVersion", "9.9.9.9"}};

TEST(VersionText, ReadsTheFileVersionOfEveryTranslation) {
  struct Case {
    const char* name;
    std::string file;
    std::string text;
  } const cases[] = {
      {"one translation", BuildElf(Record(kOneTranslation)), "1.2.3.4"},
      {"two translations run together",
       BuildElf(Record({{"Translation", "080403a8 040904b0"},
                        {"080403a8/FileVersion", "1.0.0.0"},
                        {"040904b0/FileVersion", "2.0.0.0"}})),
       "1.0.0.02.0.0.0"},
      {"translation without a FileVersion",
       BuildElf(Record({{"Translation", "080403a8 040904b0"}, {"040904b0/FileVersion", "3.1"}})),
       "3.1"},
      {"no translation list", BuildElf(Record({{"080403a8/FileVersion", "1.2.3.4"}})), ""},
      {"empty record", BuildElf(Record({})), ""},
      {"record cut inside its last value",
       BuildElf(Record(kOneTranslation).substr(0, Record(kOneTranslation).size() - 2)), "1.2.3.4"},
      {"no version section", BuildElf(Record(kOneTranslation), ".data"), kNoVersion},
      {"section with a longer name", BuildElf(Record(kOneTranslation), ".kvversion2"), kNoVersion},
      {"wrong record magic", BuildElf("KVVERSION2" + Record(kOneTranslation).substr(10)),
       kNoVersion},
      {"empty section", BuildElf(""), kNoVersion},
      {"32-bit file",
       [] {
         std::string f = BuildElf(Record(kOneTranslation));
         f[4] = 1;
         return f;
       }(),
       kNoVersion},
      {"big-endian file",
       [] {
         std::string f = BuildElf(Record(kOneTranslation));
         f[5] = 2;
         return f;
       }(),
       kNoVersion},
      {"text file", "#!/bin/sh\necho hello\n", kNoVersion},
      {"empty file", "", kNoVersion},
      {"ELF magic only", "\177ELF", kNoVersion},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    WriteTestFile(folder / "program", c.file);
    EXPECT_EQ(GetFileVersionText((folder / "program").string()), c.text) << c.name;
  }
}

TEST(VersionText, MissingPathYieldsEmptyTextAndAFolderHasNoVersion) {
  TempFolder folder;
  EXPECT_EQ(GetFileVersionText((folder / "absent").string()), "");
  EXPECT_EQ(GetFileVersionText((folder / "absent/deeper").string()), "");
  EXPECT_EQ(GetFileVersionText(""), "");
  EXPECT_EQ(GetFileVersionText(folder.path().string()), kNoVersion);
}

TEST(VersionText, RealExecutables) {
  // The test program carries the same version record as the launcher.
  EXPECT_EQ(GetFileVersionText("/proc/self/exe"), "1.0.0.0");
  EXPECT_EQ(GetFileVersionText(fs::read_symlink("/proc/self/exe").string()), "1.0.0.0");
  EXPECT_EQ(GetFileVersionText("/bin/true"), kNoVersion) << "an ELF file without the section";
}

TEST(VersionText, DamagedFilesNeverCrash) {
  const std::string record = Record(kOneTranslation);
  const std::string good = BuildElf(record);
  TempFolder folder;
  const fs::path program = folder / "program";
  // The section table is at the end, so every cut loses it.
  for (std::size_t size = 0; size < good.size(); ++size) {
    WriteTestFile(program, good.substr(0, size));
    EXPECT_EQ(GetFileVersionText(program.string()), kNoVersion) << "cut at " << size;
  }
  // Any byte overwritten with any of these values: some text or none, but never
  // more than the record holds and never a crash (the sanitizer build checks reads).
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (const unsigned char value : {0x00, 0x01, 0x40, 0x7F, 0x80, 0xFF}) {
      std::string damaged = good;
      damaged[at] = static_cast<char>(value);
      WriteTestFile(program, damaged);
      EXPECT_LE(GetFileVersionText(program.string()).size(), record.size())
          << "byte " << at << " = " << int{value};
    }
  }
  // Header fields pointing anywhere.
  const std::pair<std::size_t, std::uint64_t> forged[] = {
      {0x28, ~0ull},  {0x28, 1ull << 62}, {0x3A, 0xFFFF}, {0x3C, 0xFFFF},
      {0x3E, 0xFFFF}, {0x3A, 0},          {0x3C, 0},      {0x28, good.size() - 1},
  };
  for (const auto& [at, value] : forged) {
    std::string damaged = good;
    if (at == 0x28) {
      Put<std::uint64_t>(damaged, at, value);
    } else {
      Put<std::uint16_t>(damaged, at, static_cast<std::uint16_t>(value));
    }
    WriteTestFile(program, damaged);
    EXPECT_EQ(GetFileVersionText(program.string()), kNoVersion) << "field " << at;
  }
}

TEST(VersionText, CutCopiesOfTheTestProgramHaveNoVersion) {
  TempFolder folder;
  const fs::path copy = folder / "program";
  fs::copy_file("/proc/self/exe", copy);
  const std::string head = ReadTestFile(copy).substr(0, 64);
  std::uint64_t tableAt = 0;
  std::memcpy(&tableAt, &head[0x28], sizeof tableAt);
  const std::uint64_t size = fs::file_size(copy);
  ASSERT_LT(tableAt, size);
  // Cut from the end towards the start, so one copy serves every case.
  const std::uint64_t cuts[] = {size - 1,
                                tableAt + 200,
                                tableAt + 64,
                                tableAt + 1,
                                tableAt,
                                tableAt - 1,
                                size / 2,
                                65,
                                64,
                                63,
                                4,
                                0};
  for (const std::uint64_t cut : cuts) {
    fs::resize_file(copy, cut);
    EXPECT_EQ(GetFileVersionText(copy.string()), kNoVersion) << "cut at " << cut;
  }
}

}  // namespace
