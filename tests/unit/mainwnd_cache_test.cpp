// Clearing the browser cache: the folder walk on real folders, the two looks
// at the disk cache, and the main window's sequence with its real worker
// thread (veil, web engine data cleared on the user-interface thread, folder
// emptied, ID_CACHE_CLEARED handled, veil gone), against the recording double.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "mainwnd/CacheClearing.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
namespace mw = kv::mainwnd;
using kv::fake::FakeWindow;
using kv::test::MainWindowHarness;
using kv::test::TempFolder;
using kv::test::WriteTestFile;

std::string Cleaning(const std::string& name) {
  return mw::FormatTrace(mw::kTraceCleaning, {name});
}
std::string DeleteFailed(const std::string& name, int code) {
  return mw::FormatTrace(mw::kTraceDeleteFailed, {name, std::to_string(code)});
}

// Every file and folder below `root`, as paths relative to it ("sub/", "sub/a").
std::set<std::string> Tree(const fs::path& root) {
  std::set<std::string> entries;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    std::string name = fs::relative(it->path(), root).string();
    entries.insert(it->is_directory() && !it->is_symlink() ? name + "/" : name);
  }
  return entries;
}

TEST(CacheTraceTexts, PlaceholdersFilledInOrder) {
  EXPECT_EQ(mw::FormatTrace(mw::kTraceFirstLookSize, {"1234"}),
            "*******第一次查找缓存:缓存大小为:1234。************\r\n");
  EXPECT_EQ(mw::FormatTrace(mw::kTraceCacheFolder, {"/home/u/webcache"}),
            "临时文件夹路径为:/home/u/webcache\r\n");
  EXPECT_EQ(DeleteFailed("index", 13),
            "***********删除文件:index失败，错误代码:13******************\r\n");
  // A value holding a placeholder is not filled in again; missing values leave the rest.
  EXPECT_EQ(mw::FormatTrace("%s and %d", {"%d"}), "%d and %d");
}

// The walk on a real tree: desktop.ini kept in any letter case, read-only
// files and folders emptied, sub-folders removed once empty, links deleted
// without touching what they point to.
TEST(CleanFolder, EmptiesTheTreeButForDesktopIni) {
  TempFolder temp;
  const fs::path root = temp / "cache";
  const fs::path outside = temp / "outside";
  fs::create_directories(root / "sub" / "deep");
  fs::create_directories(root / "empty");
  fs::create_directories(root / "locked");
  fs::create_directories(outside);
  WriteTestFile(outside / "keep.txt", "user data");
  WriteTestFile(root / "a.bin", "aaaa");
  WriteTestFile(root / "desktop.ini", "[.ShellClassInfo]");
  WriteTestFile(root / "DESKTOP.INI", "[.ShellClassInfo]");
  WriteTestFile(root / "readonly.bin", "r");
  fs::permissions(root / "readonly.bin", fs::perms::owner_read | fs::perms::group_read);
  WriteTestFile(root / "sub" / "b.bin", "b");
  WriteTestFile(root / "sub" / "Desktop.Ini", "x");
  WriteTestFile(root / "sub" / "deep" / "c.bin", "c");
  WriteTestFile(root / "locked" / "d.bin", "d");
  fs::permissions(root / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  fs::create_directory_symlink(outside, root / "dirlink");
  fs::create_symlink(outside / "keep.txt", root / "filelink");

  // Which files lacked their write bit (or their folder's) when deleted.
  std::map<std::string, bool> writableAtDelete;
  std::vector<std::string> traces;
  const bool listed = mw::CleanFolder(
      root.string(), [&](std::string_view line) { traces.emplace_back(line); },
      [&](const fs::path& file) {
        const auto own = fs::symlink_status(file).permissions();
        const auto parent = fs::status(file.parent_path()).permissions();
        writableAtDelete[file.filename().string()] =
            (own & fs::perms::owner_write) != fs::perms::none &&
            (parent & fs::perms::owner_write) != fs::perms::none;
        return mw::DeleteFileFromDisk(file);
      });

  EXPECT_TRUE(listed);
  EXPECT_EQ(Tree(root),
            (std::set<std::string>{"desktop.ini", "DESKTOP.INI", "sub/", "sub/Desktop.Ini"}));
  EXPECT_EQ(Tree(outside), std::set<std::string>{"keep.txt"}) << "a link was followed";
  EXPECT_TRUE(writableAtDelete.at("readonly.bin"));
  EXPECT_TRUE(writableAtDelete.at("d.bin")) << "the read-only folder kept its bit";
  EXPECT_EQ(writableAtDelete.count("desktop.ini") + writableAtDelete.count("Desktop.Ini"), 0u);

  ASSERT_FALSE(traces.empty());
  EXPECT_EQ(traces.front(), Cleaning(root.string()));
  const std::multiset<std::string> expected = {
      Cleaning(root.string()),
      Cleaning((root / "sub").string()),
      Cleaning((root / "sub" / "deep").string()),
      Cleaning((root / "empty").string()),
      Cleaning((root / "locked").string()),
      Cleaning("a.bin"),
      Cleaning("readonly.bin"),
      Cleaning("b.bin"),
      Cleaning("c.bin"),
      Cleaning("d.bin"),
      Cleaning("dirlink"),
      Cleaning("filelink"),
  };
  EXPECT_EQ(std::multiset<std::string>(traces.begin(), traces.end()), expected);
}

// A file that cannot be deleted (the engine holding it, say) is traced with
// its error and skipped; the walk goes on, and its folder stays.
TEST(CleanFolder, UndeletableFilesAreTracedAndKeepTheirFolder) {
  TempFolder temp;
  const fs::path root = temp / "cache";
  fs::create_directories(root / "index" / "inner");
  WriteTestFile(root / "index" / "busy.db", "x");
  WriteTestFile(root / "index" / "other.bin", "y");
  WriteTestFile(root / "index" / "inner" / "z.bin", "z");
  WriteTestFile(root / "top.bin", "t");
  std::vector<std::string> traces;
  const bool listed = mw::CleanFolder(
      root.string(), [&](std::string_view line) { traces.emplace_back(line); },
      [](const fs::path& file) {
        return file.filename() == "busy.db" ? EBUSY : mw::DeleteFileFromDisk(file);
      });
  EXPECT_TRUE(listed);
  EXPECT_EQ(Tree(root), (std::set<std::string>{"index/", "index/busy.db"}));
  const std::multiset<std::string> all(traces.begin(), traces.end());
  EXPECT_EQ(all.count(DeleteFailed("busy.db", EBUSY)), 1u);
  EXPECT_EQ(all.count(Cleaning("other.bin")), 1u);
  EXPECT_EQ(all.count(Cleaning("z.bin")), 1u);
  EXPECT_EQ(all.count(Cleaning("top.bin")), 1u);
  EXPECT_EQ(all.count(Cleaning("busy.db")), 0u);
}

TEST(CleanFolder, AFolderThatCannotBeListed) {
  TempFolder temp;
  WriteTestFile(temp / "plain-file", "not a folder");
  for (const fs::path& path : {temp / "missing", temp / "plain-file"}) {
    SCOPED_TRACE(path.string());
    std::vector<std::string> traces;
    int deletes = 0;
    EXPECT_FALSE(mw::CleanFolder(
        path.string(), [&](std::string_view line) { traces.emplace_back(line); },
        [&](const fs::path&) {
          ++deletes;
          return 0;
        }));
    EXPECT_EQ(traces, std::vector<std::string>{Cleaning(path.string())});
    EXPECT_EQ(deletes, 0);
  }
  EXPECT_TRUE(fs::exists(temp / "plain-file"));
}

// The two looks at the disk cache: its bytes, then its entries; "not found"
// for both when it holds no file. The web engine's data is cleared either way.
TEST(ClearUrlCache, LooksAtTheDiskCacheThenClearsTheEngineData) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
    bool found;
    std::vector<std::string> traces;
  };
  const Case cases[] = {
      {"no folder",
       [](const fs::path&) {},
       false,
       {mw::kTraceFirstLookNone, mw::kTraceSecondLookNone}},
      {"empty folders",
       [](const fs::path& f) { fs::create_directories(f / "WebKitCache" / "Records"); },
       false,
       {mw::kTraceFirstLookNone, mw::kTraceSecondLookNone}},
      {"three files, one link",
       [](const fs::path& f) {
         fs::create_directories(f / "WebKitCache" / "Records");
         WriteTestFile(f / "salt", "0123456789");
         WriteTestFile(f / "WebKitCache" / "Records" / "r1", std::string(1000, 'r'));
         WriteTestFile(f / "WebKitCache" / "Records" / "r2", "");
         fs::create_symlink(f / "salt", f / "link");
       },
       true,
       {mw::FormatTrace(mw::kTraceFirstLookSize, {"1010"}),
        mw::FormatTrace(mw::kTraceSecondLookSize, {"3"})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const fs::path folder = temp / "webcache";
    c.make(folder);
    std::vector<std::string> traces;
    int clears = 0;
    const bool found = mw::ClearUrlCache(
        folder, [&] { ++clears; }, [&](std::string_view line) { traces.emplace_back(line); });
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(traces, c.traces);
    EXPECT_EQ(clears, 1);
  }
}

// --- the main window's sequence

constexpr auto kPatience = std::chrono::seconds(20);

// Plays the user-interface thread: runs the tasks handed to it until `done`.
bool PumpUntil(MainWindowHarness& h, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    if (h.gui.RunPendingTasks() == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return true;
}

// Waits without running the tasks, for a time in which a worker that does not
// wait for the user-interface thread would surely have gone on.
void LetTheWorkerRun() {
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

FakeWindow& VeilOf(MainWindowHarness& h) {
  return static_cast<FakeWindow&>(*h.dialog->Veil()->GetWindow());
}

class MainWindowCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cache_ = temp_ / "webcache";
    h_.gui.webCacheFolder = cache_;
    ASSERT_TRUE(h_.Start());
  }
  // The cache folder with a few entries and a desktop.ini.
  void FillCache() {
    fs::create_directories(cache_ / "WebKitCache" / "Version 16" / "Records");
    WriteTestFile(cache_ / "WebKitCache" / "Version 16" / "salt", "12345678");
    WriteTestFile(cache_ / "WebKitCache" / "Version 16" / "Records" / "page", std::string(92, 'p'));
    WriteTestFile(cache_ / "desktop.ini", "");
  }

  TempFolder temp_;
  fs::path cache_;
  MainWindowHarness h_;
};

TEST_F(MainWindowCacheTest, VeilWhileTheWorkerClears) {
  FillCache();
  h_.ClickButton(mw::IDC_BTN_RESTORE);
  FakeWindow& veil = VeilOf(h_);

  h_.ClickButton(mw::IDC_BTN_CLEARCACHE);
  // The veil is placed, animated and shown before the worker starts.
  EXPECT_TRUE(veil.IsVisible());
  EXPECT_EQ(veil.Geometry(), h_.Main().Geometry());
  ASSERT_TRUE(veil.TimerRunning(kv::ui::CMenbanDlg::kTimerAnimate));
  EXPECT_EQ(veil.Timers().at(5000).ms, 200);
  EXPECT_TRUE(veil.Timers().at(5000).repeat);

  // The engine's data is cleared on the user-interface thread, never by the worker.
  ASSERT_TRUE(PumpUntil(h_, [&] { return h_.gui.clearWebDataCalls == 1; }));
  EXPECT_EQ(h_.gui.clearWebDataOffUiThread, 0);
  veil.Paint();  // the window system draws the veil
  LetTheWorkerRun();
  // The folder waits for the engine to finish.
  EXPECT_TRUE(fs::exists(cache_ / "WebKitCache" / "Version 16" / "salt"));
  EXPECT_TRUE(veil.IsVisible());

  h_.gui.FinishClearWebData(true);
  ASSERT_TRUE(PumpUntil(h_, [&] { return !veil.IsVisible(); }));
  EXPECT_FALSE(veil.TimerRunning(kv::ui::CMenbanDlg::kTimerAnimate));
  EXPECT_EQ(Tree(cache_), std::set<std::string>{"desktop.ini"});
  EXPECT_EQ(h_.gui.clearWebDataCalls, 1);

  const std::vector<std::string> traces = h_.Traces();
  ASSERT_GE(traces.size(), 4u);
  EXPECT_EQ(traces[0], mw::FormatTrace(mw::kTraceFirstLookSize, {"100"}));
  EXPECT_EQ(traces[1], mw::FormatTrace(mw::kTraceSecondLookSize, {"2"}));
  EXPECT_EQ(traces[2], mw::FormatTrace(mw::kTraceCacheFolder, {cache_.string()}));
  EXPECT_EQ(traces[3], Cleaning(cache_.string()));
  const std::multiset<std::string> rest(traces.begin() + 4, traces.end());
  const std::multiset<std::string> expected = {
      Cleaning((cache_ / "WebKitCache").string()),
      Cleaning((cache_ / "WebKitCache" / "Version 16").string()),
      Cleaning((cache_ / "WebKitCache" / "Version 16" / "Records").string()),
      Cleaning("salt"),
      Cleaning("page"),
  };
  EXPECT_EQ(rest, expected);

  // Nothing is left running or waiting: the window goes without delay.
  EXPECT_EQ(h_.gui.RunPendingTasks(), 0);
}

// With nothing cached the veil still comes and goes, and both looks say so.
TEST_F(MainWindowCacheTest, EmptyCache) {
  struct Case {
    const char* name;
    bool folderExists;
    bool cleared;  // what the web engine answers
  };
  for (const Case& c : {Case{"no folder", false, true}, Case{"empty folder", true, true},
                        Case{"engine failed", true, false}}) {
    SCOPED_TRACE(c.name);
    fs::remove_all(cache_);
    if (c.folderExists) {
      fs::create_directories(cache_);
    }
    const std::size_t tracesBefore = h_.Traces().size();
    const int clearsBefore = h_.gui.clearWebDataCalls;
    FakeWindow& veil = VeilOf(h_);
    h_.ClickButton(mw::IDC_BTN_CLEARCACHE);
    EXPECT_TRUE(veil.IsVisible());
    veil.Paint();
    ASSERT_TRUE(PumpUntil(h_, [&] { return !h_.gui.pendingClears.empty(); }));
    h_.gui.FinishClearWebData(c.cleared);
    ASSERT_TRUE(PumpUntil(h_, [&] { return !veil.IsVisible(); }));
    EXPECT_FALSE(veil.TimerRunning(kv::ui::CMenbanDlg::kTimerAnimate));
    EXPECT_EQ(h_.gui.clearWebDataCalls, clearsBefore + 1);
    const std::vector<std::string> all = h_.Traces();
    const std::vector<std::string> traces(all.begin() + static_cast<long>(tracesBefore), all.end());
    const std::vector<std::string> expected = {
        mw::kTraceFirstLookNone, mw::kTraceSecondLookNone,
        mw::FormatTrace(mw::kTraceCacheFolder, {cache_.string()}), Cleaning(cache_.string())};
    EXPECT_EQ(traces, expected);
  }
}

// A web engine that names no disk-cache folder: only its data is cleared.
TEST_F(MainWindowCacheTest, NoCacheFolder) {
  h_.gui.webCacheFolder.clear();
  FakeWindow& veil = VeilOf(h_);
  h_.ClickButton(mw::IDC_BTN_CLEARCACHE);
  veil.Paint();
  ASSERT_TRUE(PumpUntil(h_, [&] { return !h_.gui.pendingClears.empty(); }));
  h_.gui.FinishClearWebData(true);
  ASSERT_TRUE(PumpUntil(h_, [&] { return !veil.IsVisible(); }));
  EXPECT_EQ(h_.Traces(),
            (std::vector<std::string>{mw::kTraceFirstLookNone, mw::kTraceSecondLookNone}));
}

// A clearing that is over before the veil was ever drawn keeps the veil until
// its first paint, or for 50 checks of 10 ms when no paint comes.
TEST_F(MainWindowCacheTest, VeilStaysUntilPaintedOnce) {
  FakeWindow& veil = VeilOf(h_);
  for (bool paintComes : {true, false}) {
    SCOPED_TRACE(paintComes ? "painted late" : "never painted");
    h_.ClickButton(mw::IDC_BTN_CLEARCACHE);
    ASSERT_TRUE(PumpUntil(h_, [&] { return !h_.gui.pendingClears.empty(); }));
    h_.gui.FinishClearWebData(true);
    ASSERT_TRUE(PumpUntil(h_, [&] { return h_.Main().TimerRunning(mw::TIMER_VEIL_PAINTED); }));
    EXPECT_EQ(h_.Main().Timers().at(mw::TIMER_VEIL_PAINTED).ms, mw::kVeilPaintCheckMs);
    EXPECT_TRUE(veil.IsVisible());
    ASSERT_TRUE(h_.Main().FireTimer(mw::TIMER_VEIL_PAINTED));
    EXPECT_TRUE(veil.IsVisible());
    if (paintComes) {
      veil.Paint();
      ASSERT_TRUE(h_.Main().FireTimer(mw::TIMER_VEIL_PAINTED));
    } else {
      for (int check = 2; check < mw::kVeilPaintChecks; ++check) {
        ASSERT_TRUE(h_.Main().FireTimer(mw::TIMER_VEIL_PAINTED));
      }
      EXPECT_TRUE(veil.IsVisible());
      ASSERT_TRUE(h_.Main().FireTimer(mw::TIMER_VEIL_PAINTED));
    }
    EXPECT_FALSE(veil.IsVisible());
    EXPECT_FALSE(veil.TimerRunning(kv::ui::CMenbanDlg::kTimerAnimate));
    EXPECT_FALSE(h_.Main().TimerRunning(mw::TIMER_VEIL_PAINTED));
  }
}

// One clearing after another: each shows and hides the veil and clears again.
TEST_F(MainWindowCacheTest, RepeatedClearings) {
  FakeWindow& veil = VeilOf(h_);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    FillCache();
    h_.ClickButton(mw::IDC_BTN_CLEARCACHE);
    EXPECT_TRUE(veil.IsVisible());
    veil.Paint();
    ASSERT_TRUE(PumpUntil(h_, [&] { return !h_.gui.pendingClears.empty(); }));
    h_.gui.FinishClearWebData(true);
    ASSERT_TRUE(PumpUntil(h_, [&] { return !veil.IsVisible(); }));
    EXPECT_EQ(h_.gui.clearWebDataCalls, round);
    EXPECT_EQ(Tree(cache_), std::set<std::string>{"desktop.ini"});
  }
}

// The window may go while a worker still runs (the process is ending): the
// worker is released and joined, and what it left queued does nothing later.
TEST(MainWindowCache, WindowGoesBeforeTheWorker) {
  enum class Moment { kEngineClearing, kEngineDone };
  for (Moment moment : {Moment::kEngineClearing, Moment::kEngineDone}) {
    SCOPED_TRACE(moment == Moment::kEngineClearing ? "while the engine clears" : "after it");
    TempFolder temp;
    MainWindowHarness h;
    h.gui.webCacheFolder = temp / "webcache";
    ASSERT_TRUE(h.Start());
    h.ClickButton(mw::IDC_BTN_CLEARCACHE);
    ASSERT_TRUE(PumpUntil(h, [&] { return !h.gui.pendingClears.empty(); }));
    if (moment == Moment::kEngineDone) {
      h.gui.FinishClearWebData(true);
    }
    h.dialog.reset();
    EXPECT_TRUE(h.gui.Windows().empty());
    h.gui.FinishClearWebData(true);
    h.gui.RunPendingTasks();
    EXPECT_TRUE(h.gui.Windows().empty());
  }
}

}  // namespace
