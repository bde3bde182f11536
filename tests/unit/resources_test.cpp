#include <gtest/gtest.h>

#include <cstdlib>

#include "res/Resources.h"
#include "res/StringIds.h"

namespace {

TEST(StringTable, AbsentIdLoadsEmpty) {
  EXPECT_EQ(kv::res::LoadString(kv::res::IDS_PUBLISHER), "");
  EXPECT_EQ(kv::res::LoadString(101), "");
  EXPECT_EQ(kv::res::LoadString(kv::res::IDS_CAPTION), "《Korvane》登入器");
}

TEST(StringTable, DeploymentAddressesFollowTheEnvironment) {
  ::setenv("KORVANE_UPDATE_URL", "http://127.0.0.1:1", 1);
  EXPECT_EQ(kv::res::LoadString(kv::res::IDS_UPDATE_BASE_URL), "http://127.0.0.1:1");
  ::unsetenv("KORVANE_UPDATE_URL");
  EXPECT_EQ(kv::res::LoadString(kv::res::IDS_UPDATE_BASE_URL), KORVANE_DEFAULT_UPDATE_URL);
}

}  // namespace
