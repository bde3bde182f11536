#include <gtest/gtest.h>

#include <string>

#include "app/Paths.h"
#include "app/RunLog.h"
#include "tests/support/EnvOverride.h"

namespace {

using kv::test::EnvOverride;

TEST(ProgramFolder, ComposedBelowTheDataHomeWithOneSeparatorEach) {
  struct Case {
    const char* dataHome;
    const char* folder;
  } const cases[] = {
      {"/home/u/.local/share", "/home/u/.local/share/rozovizo_7/kovr/"},
      {"/home/u/.local/share/", "/home/u/.local/share/rozovizo_7/kovr/"},
      {"/data///", "/data/rozovizo_7/kovr/"},
      {"/", "/rozovizo_7/kovr/"},
      {"//", "/rozovizo_7/kovr/"},
      {"/with blank/and 中文", "/with blank/and 中文/rozovizo_7/kovr/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kv::app::ComposeProgramFolder(c.dataHome), c.folder) << c.dataHome;
  }
}

// Whichever test asks first fixes the text for the process; this one only
// relies on the text not changing afterwards.
TEST(ProgramFolder, KeptForTheProcessEvenWhenTheDataHomeChanges) {
  const std::string first = kv::app::GetProgramFolder();
  std::string second;
  {
    EnvOverride dataHome("XDG_DATA_HOME", "/tmp/kv-some-other-data-home");
    EnvOverride home("HOME", "/tmp/kv-some-other-home");
    second = kv::app::GetProgramFolder();
  }
  EXPECT_EQ(first, second);
  EXPECT_TRUE(first.starts_with('/')) << first;
  EXPECT_TRUE(first.ends_with("/rozovizo_7/kovr/")) << first;
  EXPECT_FALSE(first.ends_with("//")) << first;
  EXPECT_EQ(kv::app::GetRunLogPath(), first + "res/update.log");
}

TEST(CacheFolder, FollowsTheDataHomeOnEveryCall) {
  struct Case {
    const char* dataHome;
    const char* cache;
  } const cases[] = {
      {"/sandbox/data", "/sandbox/data/cache"},
      {"/sandbox/data/", "/sandbox/data/cache"},
      // A relative value is not a valid XDG base folder: the default below HOME applies.
      {"relative/data", "/sandbox/home/.local/share/cache"},
      {nullptr, "/sandbox/home/.local/share/cache"},
  };
  EnvOverride home("HOME", "/sandbox/home");
  for (const auto& c : cases) {
    EnvOverride dataHome("XDG_DATA_HOME", c.dataHome);
    EXPECT_EQ(kv::app::GetCacheFolder(), c.cache) << (c.dataHome ? c.dataHome : "(unset)");
  }
}

}  // namespace
