// The whole per-user setup in a sandbox: what a first run makes, what later
// runs change, and when the installed copy is replaced.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "install/Setup.h"
#include "res/Resources.h"
#include "tests/support/SandboxEnvironment.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using kv::test::ListTree;
using kv::test::ReadTestFile;
using kv::test::WriteTestFile;

void PutLe(std::string& bytes, std::size_t at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) {
    bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

// The smallest ELF file that carries a version record: a header, the record
// section, the section-name table and a table of three section headers.
std::string TinyProgram(const std::string& version) {
  std::string record;
  for (const std::string& field :
       {std::string("KVVERSION1"), std::string("Translation"), std::string("080403a8"),
        std::string("080403a8/FileVersion"), version, std::string()}) {
    record += field;
    record += '\0';
  }
  const std::string names = std::string("\0.kvversion\0.shstrtab\0", 22);
  std::string bytes(64, '\0');
  std::memcpy(bytes.data(),
              "\x7f"
              "ELF\x02\x01\x01",
              7);
  const std::size_t recordAt = bytes.size();
  bytes += record;
  const std::size_t namesAt = bytes.size();
  bytes += names;
  const std::size_t tableAt = bytes.size();
  bytes += std::string(3 * 64, '\0');
  PutLe(bytes, 0x28, tableAt, 8);
  PutLe(bytes, 0x3A, 64, 2);  // entry size
  PutLe(bytes, 0x3C, 3, 2);   // count
  PutLe(bytes, 0x3E, 2, 2);   // index of the name table
  const auto section = [&](int index, std::uint32_t name, std::size_t at, std::size_t size) {
    const std::size_t entry = tableAt + 64 * index;
    PutLe(bytes, entry, name, 4);
    PutLe(bytes, entry + 0x18, at, 8);
    PutLe(bytes, entry + 0x20, size, 8);
  };
  section(1, 1, recordAt, record.size());
  section(2, 12, namesAt, names.size());
  return bytes;
}

void WriteProgram(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  WriteTestFile(file, bytes);
  fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
}

TEST(InstallVersion, NumbersComeFromTheVersionTextWithoutDots) {
  const fs::path root = kv::test::MakeScratchFolder("version-number");
  struct Case {
    const char* name;
    std::string bytes;  // "" with `present` false: no file at all
    bool present;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"launcher version", TinyProgram("1.0.0.0"), true, 1000},
      {"newer build", TinyProgram("1.0.0.9"), true, 1009},
      {"two-digit part", TinyProgram("1.0.10.0"), true, 10100},
      {"trailing text", TinyProgram("2.1.0.0-beta"), true, 2100},
      {"no digits", TinyProgram("beta"), true, 0},
      {"no version information", "#!/bin/sh\n", true, 0},
      {"empty file", "", true, 0},
      {"missing file", "", false, 0},
  };
  for (const Case& c : cases) {
    const fs::path file = root / c.name;
    if (c.present) {
      WriteProgram(file, c.bytes);
    }
    EXPECT_EQ(kv::install::VersionNumberOf(file.string()), c.expected) << c.name;
  }
}

TEST(InstallVersion, ReplacesAMissingUnversionedOrOlderCopyOnly) {
  struct Case {
    const char* name;
    std::int32_t installed;
    std::int32_t running;
    bool replace;
  };
  const Case cases[] = {
      {"installed copy missing or without version", 0, 1000, true},
      {"both without version", 0, 0, true},
      {"older installed copy", 1000, 1009, true},
      {"same version", 1000, 1000, false},
      {"newer installed copy", 1009, 1000, false},
      {"running copy without version", 1000, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kv::install::ShouldReplaceInstalledCopy(c.installed, c.running), c.replace) << c.name;
  }
}

// A user's sandbox with the launcher downloaded to download/korvane.
struct Sandbox {
  fs::path root;
  kv::install::InstallLayout layout;
  fs::path installed;
};

Sandbox MakeSandbox(const char* name, const std::string& programBytes) {
  Sandbox s;
  s.root = kv::test::MakeScratchFolder(name);
  s.layout.programFolder = (s.root / "data" / "rozovizo_7" / "kovr").string();
  s.layout.runningExecutable = (s.root / "download" / "korvane").string();
  s.layout.desktopFolder = (s.root / "home" / "Desktop").string();
  s.layout.programsFolder = (s.root / "data" / "applications").string();
  s.layout.uninstallEntryFile =
      (s.root / "etc-xdg" / "rozovizo_7" / "uninstall" / "VexaKorvane").string();
  s.layout.profileFile =
      (s.root / "config" / "应用程序向导生成的本地应用程序" / "korvane" / "profile.ini").string();
  s.installed = s.root / "data" / "rozovizo_7" / "kovr" / "korvane";
  WriteProgram(s.layout.runningExecutable, programBytes);
  fs::create_directories(s.layout.desktopFolder);
  return s;
}

void RunSetup(const Sandbox& s) {
  kv::install::RunFirstStartSetup(
      s.layout, kv::res::Find(kv::res::Type::kZIP, kv::install::kDefaultsArchiveId));
}

const std::vector<std::string> kFirstRunTree = {
    "config",
    "config/应用程序向导生成的本地应用程序",
    "config/应用程序向导生成的本地应用程序/korvane",
    "config/应用程序向导生成的本地应用程序/korvane/profile.ini",
    "data",
    "data/applications",
    "data/applications/Korvane",
    "data/applications/Korvane/Korvane",
    "data/applications/Korvane/Korvane/Korvane.desktop",
    "data/applications/Korvane/Korvane/卸载-Korvane.desktop",
    "data/rozovizo_7",
    "data/rozovizo_7/kovr",
    "data/rozovizo_7/kovr/korvane",
    "data/rozovizo_7/kovr/res",
    "data/rozovizo_7/kovr/res/systemset.ini",
    "data/rozovizo_7/kovr/res/uninstall.ico",
    "download",
    "download/korvane",
    "etc-xdg",
    "etc-xdg/rozovizo_7",
    "etc-xdg/rozovizo_7/uninstall",
    "etc-xdg/rozovizo_7/uninstall/VexaKorvane",
    "home",
    "home/Desktop",
    "home/Desktop/《Korvane》.desktop",
};

std::vector<std::string> Without(std::vector<std::string> tree,
                                 const std::vector<std::string>& gone) {
  std::erase_if(tree, [&](const std::string& path) {
    for (const std::string& prefix : gone) {
      if (path == prefix || path.starts_with(prefix + "/")) {
        return true;
      }
    }
    return false;
  });
  return tree;
}

std::string Setting(const Sandbox& s, const char* section, const char* key) {
  return kv::app::ReadProfileString(kv::install::SettingsFileIn(s.layout.programFolder), section,
                                    key, "(missing)");
}

TEST(FirstStartSetup, AFirstRunMakesExactlyTheInstallation) {
  const std::string program = TinyProgram("1.0.0.0");
  const Sandbox s = MakeSandbox("setup-first", program);
  RunSetup(s);

  EXPECT_EQ(ListTree(s.root), kFirstRunTree);
  const std::string pf = s.layout.programFolder;
  const std::string exe = pf + "/korvane";
  const std::string menu = s.layout.programsFolder + "/Korvane/Korvane";
  EXPECT_EQ(ReadTestFile(s.layout.desktopFolder + "/《Korvane》.desktop"),
            "[Desktop Entry]\nType=Application\nName=《Korvane》\nExec=\"" + exe +
                "\" 1\nTerminal=false\n");
  EXPECT_EQ(
      ReadTestFile(menu + "/Korvane.desktop"),
      "[Desktop Entry]\nType=Application\nName=Korvane\nExec=\"" + exe + "\" 1\nTerminal=false\n");
  EXPECT_EQ(ReadTestFile(menu + "/卸载-Korvane.desktop"),
            "[Desktop Entry]\nType=Application\nName=卸载-Korvane\nExec=\"" + exe +
                "\" -u\nIcon=" + pf + "/res/uninstall.ico\nTerminal=false\n");
  EXPECT_EQ(ReadTestFile(s.layout.uninstallEntryFile), "[VexaKorvane]\nPath=" + exe +
                                                           "\nDisplayName=Korvane\nPublisher=\n"
                                                           "UninstallString=" +
                                                           exe + " -u\n");
  const std::map<std::string, std::string> profile = {{"Path", exe},
                                                      {"DisplayName", "Korvane"},
                                                      {"Publisher", ""},
                                                      {"UninstallString", exe + " -u"}};
  for (const auto& [key, value] : profile) {
    EXPECT_EQ(kv::app::ReadProfileString(s.layout.profileFile, "VexaKorvane", key, "no find!"),
              value)
        << key;
  }
  EXPECT_EQ(ReadTestFile(s.installed), program);
  struct stat info {};
  ASSERT_EQ(::stat(s.installed.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u) << "the installed copy stays executable";
  EXPECT_EQ(Setting(s, "Setting", "start"), "1001");
  EXPECT_EQ(Setting(s, "Start", "firststart"), "0");
  EXPECT_EQ(Setting(s, "Setting", "screentoggle"), "F10");
}

struct FileState {
  bool folder;
  ino_t inode;
  std::int64_t modified;
  std::string content;
  bool operator==(const FileState&) const = default;
};

std::map<std::string, FileState> Snapshot(const fs::path& root) {
  std::map<std::string, FileState> state;
  for (const std::string& path : ListTree(root)) {
    struct stat info {};
    const fs::path full = root / path;
    ::lstat(full.c_str(), &info);
    const bool folder = S_ISDIR(info.st_mode);
    state[path] = {folder, info.st_ino,
                   folder ? 0 : info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec,
                   folder ? "" : ReadTestFile(full)};
  }
  return state;
}

std::vector<std::string> ChangedFiles(const std::map<std::string, FileState>& before,
                                      const std::map<std::string, FileState>& after) {
  std::vector<std::string> changed;
  for (const auto& [path, state] : after) {
    const auto old = before.find(path);
    if (old == before.end() || !(old->second == state)) {
      changed.push_back(path);
    }
  }
  for (const auto& [path, state] : before) {
    if (!after.contains(path)) {
      changed.push_back(path + " (gone)");
    }
  }
  return changed;
}

const std::vector<std::string> kMenuShortcuts = {
    "data/applications/Korvane/Korvane/Korvane.desktop",
    "data/applications/Korvane/Korvane/卸载-Korvane.desktop",
};

TEST(FirstStartSetup, ALaterRunOfTheSameVersionRewritesOnlyTheMenuShortcuts) {
  Sandbox s = MakeSandbox("setup-again", TinyProgram("1.0.0.0"));
  RunSetup(s);
  const auto first = Snapshot(s.root);
  RunSetup(s);
  EXPECT_EQ(ChangedFiles(first, Snapshot(s.root)), kMenuShortcuts);

  // Started from the installed copy itself: the same.
  const auto second = Snapshot(s.root);
  s.layout.runningExecutable = s.installed.string();
  RunSetup(s);
  EXPECT_EQ(ChangedFiles(second, Snapshot(s.root)), kMenuShortcuts);
}

TEST(FirstStartSetup, TheDesktopShortcutComesBackOnlyWhenItsNameIsMissing) {
  Sandbox s = MakeSandbox("setup-desktop", TinyProgram("1.0.0.0"));
  RunSetup(s);
  const fs::path desktop = s.layout.desktopFolder;
  fs::rename(desktop / "《Korvane》.desktop", desktop / "My game.desktop");
  RunSetup(s);
  EXPECT_EQ(kv::test::FolderNames(desktop),
            (std::set<std::string>{"My game.desktop", "《Korvane》.desktop"}));

  WriteTestFile(desktop / "《Korvane》.desktop", "edited by the user");
  RunSetup(s);
  EXPECT_EQ(ReadTestFile(desktop / "《Korvane》.desktop"), "edited by the user");
}

TEST(FirstStartSetup, WhatIsMissingOrUnwritableIsSkippedAndTheRestDone) {
  struct Case {
    const char* name;
    void (*prepare)(Sandbox&);
    std::vector<std::string> missing;
  };
  const Case cases[] = {
      {"machine-wide folder not writable",
       [](Sandbox& s) {
         WriteTestFile(s.root / "etc-file", "a regular file");
         s.layout.uninstallEntryFile =
             (s.root / "etc-file" / "rozovizo_7" / "VexaKorvane").string();
       },
       {"etc-xdg"}},
      {"no desktop folder",
       [](Sandbox& s) { fs::remove(s.layout.desktopFolder); },
       {"home/Desktop"}},
      {"desktop folder unknown",
       [](Sandbox& s) { s.layout.desktopFolder.clear(); },
       {"home/Desktop/《Korvane》.desktop"}},
      {"menu folder unknown",
       [](Sandbox& s) { s.layout.programsFolder.clear(); },
       {"data/applications"}},
  };
  for (const Case& c : cases) {
    Sandbox s = MakeSandbox("setup-skips", TinyProgram("1.0.0.0"));
    c.prepare(s);
    RunSetup(s);
    std::vector<std::string> tree = ListTree(s.root);
    std::erase_if(tree, [](const std::string& path) { return path.starts_with("etc-file"); });
    EXPECT_EQ(tree, Without(kFirstRunTree, c.missing)) << c.name;
    EXPECT_EQ(Setting(s, "Start", "firststart"), "0") << c.name;
    EXPECT_EQ(ReadTestFile(s.installed), ReadTestFile(s.layout.runningExecutable)) << c.name;
  }
}

TEST(FirstStartSetup, TheEntryKeepsItsFirstValuesWhileTheProfileFollowsThePath) {
  Sandbox s = MakeSandbox("setup-renamed", TinyProgram("1.0.0.0"));
  RunSetup(s);
  const std::string entry = ReadTestFile(s.layout.uninstallEntryFile);
  // The launcher is downloaded again under another file name.
  s.layout.runningExecutable = (s.root / "download" / "korvane-2").string();
  WriteProgram(s.layout.runningExecutable, TinyProgram("1.0.0.0"));
  RunSetup(s);
  EXPECT_EQ(ReadTestFile(s.layout.uninstallEntryFile), entry);
  const std::string renamed = s.layout.programFolder + "/korvane-2";
  EXPECT_EQ(kv::app::ReadProfileString(s.layout.profileFile, "VexaKorvane", "Path", "?"), renamed);
  EXPECT_EQ(kv::app::ReadProfileString(s.layout.profileFile, "VexaKorvane", "UninstallString", "?"),
            renamed + " -u");
  EXPECT_TRUE(fs::exists(renamed));
}

TEST(FirstStartSetup, TheInstalledCopyIsReplacedWhenMissingUnversionedOrOlder) {
  struct Case {
    const char* name;
    std::string installed;  // "" for none
    std::string running;
    bool replaced;
  };
  const Case cases[] = {
      {"no installed copy", "", TinyProgram("1.0.0.0"), true},
      {"installed copy without version", "#!/bin/sh\necho old\n", TinyProgram("1.0.0.0"), true},
      {"older installed copy", TinyProgram("0.9.0.0"), TinyProgram("1.0.0.0"), true},
      {"newer build started from elsewhere", TinyProgram("1.0.0.0"), TinyProgram("1.0.0.9"), true},
      {"same version", TinyProgram("1.0.0.0") + "installed", TinyProgram("1.0.0.0"), false},
      {"newer installed copy", TinyProgram("1.0.0.9"), TinyProgram("1.0.0.0"), false},
      {"running copy without version", TinyProgram("1.0.0.0"), "#!/bin/sh\n", false},
  };
  for (const Case& c : cases) {
    Sandbox s = MakeSandbox("setup-copy", c.running);
    if (!c.installed.empty()) {
      WriteProgram(s.installed, c.installed);
      fs::create_directories(s.layout.programFolder + "/res");
      WriteTestFile(s.layout.programFolder + "/res/systemset.ini",
                    "[Setting]\r\nstart=1001\r\n[Start]\r\nfirststart=7\r\n");
    }
    RunSetup(s);
    EXPECT_EQ(ReadTestFile(s.installed), c.replaced ? c.running : c.installed) << c.name;
    EXPECT_EQ(Setting(s, "Start", "firststart"), c.replaced ? "0" : "7")
        << c.name << ": the first-start marker is reset with the copy";
    EXPECT_EQ(kv::test::FolderNames(s.layout.programFolder),
              (std::set<std::string>{"korvane", "res"}))
        << c.name << ": no temporary file is left";
  }
}

}  // namespace
