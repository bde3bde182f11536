// The two uninstall stages: what the confirmation stage does for each answer,
// which path a removal command line may touch, and what the removal stage
// takes away in which order.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/Uninstall.h"
#include "platform/Keys.h"
#include "platform/Os.h"
#include "tests/fake/FakeGui.h"
#include "tests/support/SandboxEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using kv::test::FolderNames;
using kv::test::ReadTestFile;
using kv::test::WriteTestFile;

struct Started {
  std::string program;
  std::string commandLine;
};

struct ConfirmRun {
  std::vector<std::pair<std::string, std::string>> asked;
  std::vector<Started> started;
  bool result = false;
};

ConfirmRun RunConfirm(int answer, const std::string& ownPath, const std::string& dataHome) {
  ConfirmRun run;
  kv::app::ConfirmStage stage;
  stage.ask = [&](const std::string& caption, const std::string& text) {
    run.asked.emplace_back(caption, text);
    return answer;
  };
  stage.start = [&](const std::string& program, const std::string& commandLine) {
    run.started.push_back({program, commandLine});
    return true;
  };
  stage.ownPath = ownPath;
  stage.dataHome = dataHome;
  run.result = kv::app::ConfirmUninstall(stage);
  return run;
}

TEST(UninstallConfirm, OnlyADeclineStopsIt) {
  struct Case {
    const char* name;
    int answer;
    bool proceeds;
  };
  const Case cases[] = {
      {"OK", 1, true},    {"Cancel, close cross or Escape", 2, false},
      {"zero", 0, true},  {"failure of the box", -1, true},
      {"other", 3, true},
  };
  for (const Case& c : cases) {
    const fs::path root = kv::test::MakeScratchFolder("confirm");
    const fs::path own = root / "installed dir" / "korvane";
    fs::create_directories(own.parent_path());
    WriteTestFile(own, "program bytes");
    fs::permissions(own, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    const fs::path dataHome = root / "data";
    fs::create_directories(dataHome);

    const ConfirmRun run = RunConfirm(c.answer, own.string(), dataHome.string());

    ASSERT_EQ(run.asked.size(), 1u) << c.name;
    EXPECT_EQ(run.asked[0].first, "卸载") << c.name;
    EXPECT_EQ(run.asked[0].second, "您是否确认卸载《Korvane》？") << c.name;
    EXPECT_EQ(run.result, c.proceeds) << c.name;
    if (!c.proceeds) {
      EXPECT_TRUE(run.started.empty()) << c.name;
      EXPECT_TRUE(FolderNames(dataHome).empty()) << c.name << ": nothing may change";
      continue;
    }
    const fs::path copy = dataHome / "cache" / "q7kovrtmpu.exe";
    EXPECT_EQ(ReadTestFile(copy), "program bytes") << c.name;
    struct stat info {};
    ASSERT_EQ(::stat(copy.c_str(), &info), 0) << c.name;
    EXPECT_EQ(info.st_mode & 0777, 0750u) << c.name << ": the copy keeps the program's mode";
    ASSERT_EQ(run.started.size(), 1u) << c.name;
    EXPECT_EQ(run.started[0].program, copy.string()) << c.name;
    // The path follows unquoted, blanks and all; the removal stage takes it whole.
    EXPECT_EQ(run.started[0].commandLine, "-u " + own.string()) << c.name;
  }
}

TEST(UninstallConfirm, ReplacesAnEarlierCopyAndStartsNothingWhenItCannotCopy) {
  const fs::path root = kv::test::MakeScratchFolder("confirm-copy");
  const fs::path dataHome = root / "data";
  fs::create_directories(dataHome / "cache");
  WriteTestFile(dataHome / "cache" / "q7kovrtmpu.exe", "stale copy of another program");
  const fs::path own = root / "korvane";
  WriteTestFile(own, "current program");

  ConfirmRun run = RunConfirm(1, own.string(), dataHome.string());
  EXPECT_TRUE(run.result);
  EXPECT_EQ(ReadTestFile(dataHome / "cache" / "q7kovrtmpu.exe"), "current program");

  // The running program cannot be read: the stale copy must not be started.
  WriteTestFile(dataHome / "cache" / "q7kovrtmpu.exe", "stale copy of another program");
  run = RunConfirm(1, (root / "missing").string(), dataHome.string());
  EXPECT_FALSE(run.result);
  EXPECT_TRUE(run.started.empty());
  EXPECT_EQ(ReadTestFile(dataHome / "cache" / "q7kovrtmpu.exe"), "stale copy of another program");
}

// The stage as the launcher runs it: the skinned box asks; Escape, the close
// cross or Cancel leave everything as it was, Enter goes ahead. The process
// start is recorded instead of made (it would start this test program).
TEST(UninstallConfirm, TheSkinnedBoxAsksForTheRunningProgram) {
  const fs::path copy = kv::test::SandboxDataHome() / "cache" / "q7kovrtmpu.exe";
  const std::string own = kv::platform::ExecutablePath().string();
  struct Case {
    const char* name;
    void (*answer)(kv::fake::FakeWindow&);
    bool proceeds;
  };
  const Case cases[] = {
      {"Escape", [](kv::fake::FakeWindow& w) { w.KeyDown(kv::platform::kKeyEscape); }, false},
      {"close request", [](kv::fake::FakeWindow& w) { w.RequestClose(); }, false},
      {"Enter", [](kv::fake::FakeWindow& w) { w.KeyDown(kv::platform::kKeyReturn); }, true},
  };
  for (const Case& c : cases) {
    std::error_code ignored;
    fs::remove(copy, ignored);
    kv::fake::FakeGui gui;
    std::vector<std::string> texts;
    gui.modalScripts.push_back([&](kv::fake::FakeWindow& w) {
      for (const auto& op : w.Paint().OpsOf(kv::fake::PaintOp::Kind::kText)) {
        texts.push_back(op.text);
      }
      c.answer(w);
    });
    kv::app::ConfirmStage stage = kv::app::ConfirmStageFor(gui);
    std::vector<Started> started;
    stage.start = [&](const std::string& program, const std::string& commandLine) {
      started.push_back({program, commandLine});
      return true;
    };
    EXPECT_EQ(stage.ownPath, own) << c.name;

    EXPECT_EQ(kv::app::ConfirmUninstall(stage), c.proceeds) << c.name;

    EXPECT_TRUE(gui.modalScripts.empty()) << c.name << ": the box was not shown";
    EXPECT_EQ(texts, (std::vector<std::string>{"卸载", "您是否确认卸载《Korvane》？"})) << c.name;
    EXPECT_EQ(fs::exists(copy), c.proceeds) << c.name;
    if (c.proceeds) {
      ASSERT_EQ(started.size(), 1u) << c.name;
      EXPECT_EQ(started[0].program, copy.string()) << c.name;
      EXPECT_EQ(started[0].commandLine, "-u " + own) << c.name;
      EXPECT_EQ(fs::file_size(copy), fs::file_size(own)) << c.name;
    } else {
      EXPECT_TRUE(started.empty()) << c.name;
    }
  }
}

TEST(UninstallRemoval, TouchesOnlyAnEntryDirectlyInsideTheProgramFolder) {
  const fs::path root = kv::test::MakeScratchFolder("removal-paths");
  const std::string pf = (root / "data dir" / "rozovizo_7" / "kovr").string();
  fs::create_directories(pf + "/res");
  fs::create_directories(root / "elsewhere");
  fs::create_directory_symlink(pf, root / "link-to-kovr");
  struct Case {
    const char* name;
    std::string commandLine;
    std::string expected;
  };
  const Case cases[] = {
      {"installed executable", "-u " + pf + "/korvane", pf + "/korvane"},
      {"any separator character", "-u\t" + pf + "/korvane", pf + "/korvane"},
      {"other file name in the folder", "-u " + pf + "/korvane-old", pf + "/korvane-old"},
      {"dot-dot that stays inside", "-u " + pf + "/res/../korvane", pf + "/korvane"},
      {"doubled separators", "-u " + pf + "//korvane", pf + "/korvane"},
      {"through a link to the folder", "-u " + (root / "link-to-kovr").string() + "/korvane",
       pf + "/korvane"},
      {"the res folder names the folder", "-u " + pf + "/res", pf + "/res"},
      {"elsewhere", "-u " + (root / "elsewhere").string() + "/korvane", ""},
      {"dot-dot leading out", "-u " + pf + "/../../../elsewhere/korvane", ""},
      {"a file in res", "-u " + pf + "/res/systemset.ini", ""},
      {"the program folder itself", "-u " + pf, ""},
      {"trailing separator", "-u " + pf + "/korvane/", ""},
      {"relative path", "-u korvane", ""},
      {"quoted path is not unquoted", "-u \"" + pf + "/korvane\"", ""},
      {"no path", "-u ", ""},
      {"prefix only", "-u", ""},
      {"user's home", "-u " + root.string(), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kv::app::InstalledExecutableToRemove(c.commandLine, pf), c.expected) << c.name;
  }
  EXPECT_EQ(kv::app::InstalledExecutableToRemove("-u " + pf + "/korvane", ""), "")
      << "no program folder";
}

// Records every removal and carries it out, so that the emptiness tests of the
// menu folders see the real result of the steps before them.
class RecordingActions final : public kv::app::RemovalActions {
 public:
  std::vector<std::string> log;

  bool RemovePath(const std::string& path) override { return Do("trash ", path); }
  bool DeleteFile(const std::string& path) override { return Do("delete ", path); }

 private:
  bool Do(const std::string& what, const std::string& path) {
    log.push_back(what + path);
    std::error_code error;
    return fs::remove_all(path, error) > 0;
  }
};

struct Installation {
  kv::install::InstallLayout layout;
  kv::install::ShortcutNames names = kv::install::LoadShortcutNames();
  std::string menu;        // programs/Korvane/Korvane
  std::string menuParent;  // programs/Korvane
  std::string installed;
};

// An installation as the setup leaves it, below `root`.
Installation MakeInstallation(const fs::path& root) {
  Installation in;
  in.layout.programFolder = (root / "data" / "rozovizo_7" / "kovr").string();
  in.layout.desktopFolder = (root / "Desktop").string();
  in.layout.programsFolder = (root / "data" / "applications").string();
  in.menuParent = in.layout.programsFolder + "/Korvane";
  in.menu = in.menuParent + "/Korvane";
  in.installed = in.layout.programFolder + "/korvane";
  fs::create_directories(in.layout.programFolder + "/res");
  fs::create_directories(in.layout.desktopFolder);
  fs::create_directories(in.menu);
  WriteTestFile(in.installed, "program");
  WriteTestFile(in.layout.programFolder + "/res/systemset.ini", "[Start]\r\nfirststart=0\r\n");
  WriteTestFile(in.layout.desktopFolder + "/《Korvane》.desktop", "x");
  WriteTestFile(in.menu + "/Korvane.desktop", "x");
  WriteTestFile(in.menu + "/卸载-Korvane.desktop", "x");
  return in;
}

TEST(UninstallRemoval, RemovesShortcutsExecutableResAndEmptyMenuFoldersInOrder) {
  const Installation in = MakeInstallation(kv::test::MakeScratchFolder("removal"));
  RecordingActions actions;
  kv::app::RemoveInstallation(in.layout, in.names, "-u " + in.installed, actions);
  const std::vector<std::string> expected = {
      "trash " + in.layout.desktopFolder + "/《Korvane》.desktop",
      "trash " + in.menu + "/卸载-Korvane.desktop",
      "trash " + in.menu + "/Korvane.desktop",
      "delete " + in.installed,
      "trash " + in.layout.programFolder + "/res",
      "trash " + in.menu,
      "trash " + in.menuParent,
  };
  EXPECT_EQ(actions.log, expected);
  EXPECT_TRUE(fs::is_directory(in.layout.programFolder)) << "the program folder stays";
  EXPECT_TRUE(FolderNames(in.layout.programFolder).empty());
}

TEST(UninstallRemoval, LeavesWhatItMustNotTouch) {
  struct Case {
    const char* name;
    std::vector<std::string> extraFiles;  // relative to the programs folder
    bool foreignPath;
    bool noDesktop;
    bool executableMissing;
  };
  const Case cases[] = {
      {"menu folder holding another file", {"Korvane/Korvane/notes.txt"}, false, false, false},
      {"parent menu folder holding another file", {"Korvane/other.desktop"}, false, false, false},
      {"command line naming a file elsewhere", {}, true, false, false},
      {"no desktop folder known", {}, false, true, false},
      {"installed executable already gone", {}, false, false, true},
  };
  for (const Case& c : cases) {
    const fs::path root = kv::test::MakeScratchFolder("removal-keeps");
    Installation in = MakeInstallation(root);
    for (const std::string& extra : c.extraFiles) {
      WriteTestFile(in.layout.programsFolder + "/" + extra, "user's");
    }
    const fs::path foreign = root / "Documents" / "korvane";
    fs::create_directories(foreign.parent_path());
    WriteTestFile(foreign, "the user's own file");
    WriteTestFile(foreign.parent_path() / "res", "the user's own res");
    if (c.noDesktop) {
      in.layout.desktopFolder.clear();
    }
    if (c.executableMissing) {
      fs::remove(in.installed);
    }
    const std::string target = c.foreignPath ? foreign.string() : in.installed;

    RecordingActions actions;
    kv::app::RemoveInstallation(in.layout, in.names, "-u " + target, actions);

    for (const std::string& extra : c.extraFiles) {
      EXPECT_EQ(ReadTestFile(in.layout.programsFolder + "/" + extra), "user's") << c.name;
    }
    const bool innerKept = !c.extraFiles.empty() && c.extraFiles[0].starts_with("Korvane/Korvane/");
    EXPECT_EQ(fs::exists(in.menu), innerKept) << c.name;
    EXPECT_EQ(fs::exists(in.menuParent), !c.extraFiles.empty()) << c.name;
    EXPECT_FALSE(fs::exists(in.menu + "/Korvane.desktop")) << c.name;
    EXPECT_FALSE(fs::exists(in.menu + "/卸载-Korvane.desktop")) << c.name;
    EXPECT_EQ(fs::exists(root / "Desktop" / "《Korvane》.desktop"), c.noDesktop) << c.name;

    EXPECT_EQ(ReadTestFile(foreign), "the user's own file") << c.name;
    EXPECT_EQ(ReadTestFile(foreign.parent_path() / "res"), "the user's own res") << c.name;
    EXPECT_EQ(fs::exists(in.installed), c.foreignPath) << c.name;
    EXPECT_EQ(fs::exists(in.layout.programFolder + "/res"), c.foreignPath) << c.name;
    for (const std::string& line : actions.log) {
      EXPECT_FALSE(line.starts_with("delete ") && c.executableMissing) << c.name << ": " << line;
    }
  }
}

TEST(RecycleBin, AMissingPathSimplyFails) {
  const fs::path root = kv::test::MakeScratchFolder("recycle-missing");
  EXPECT_FALSE(kv::app::DeleteToRecycleBin((root / "no such file").string()));
  EXPECT_FALSE(kv::app::RemovePath((root / "no such folder" / "x.desktop").string()));
  EXPECT_FALSE(kv::app::DeleteToRecycleBin(""));
  EXPECT_TRUE(FolderNames(root).empty());
}

}  // namespace
