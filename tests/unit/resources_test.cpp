#include <gtest/gtest.h>

#include <string>

#include "res/Resources.h"
#include "res/StringIds.h"
#include "tests/support/EnvOverride.h"

namespace {

struct StringCase {
  int id;
  std::string text;
};

TEST(StringTable, HoldsEveryStringOfTheLauncher) {
  // Deployment values are checked with their defaults, so the environment must not override them.
  kv::test::EnvOverride noLogin("KORVANE_LOGIN_URL", nullptr);
  kv::test::EnvOverride noUpdate("KORVANE_UPDATE_URL", nullptr);
  const StringCase cases[] = {
      {102, "Korvane"},
      {105, "Korvane"},
      {107, "《Korvane》登入器"},
      {109, "卸载-Korvane"},
      {114, KORVANE_DEFAULT_LOGIN_URL},
      {116, "缓存清理中，请稍后……"},
      {117, "kovr"},
      {118, "/q7kovrtmp.exe"},
      {119, "/rozovizo_7/"},
      {120, "/cache/q7kovrtmpu.exe"},
      {124, "rozovizo_7"},
      {125, ""},
      {191, KORVANE_DEFAULT_UPDATE_URL},
      {192, "getClientVersion.php?p=vexagame&g=kovr&v="},
      {197, "res//systemset.ini"},
      {101, ""},
      {198, ""},
  };
  for (const StringCase& c : cases) {
    EXPECT_EQ(kv::res::LoadString(c.id), c.text) << "string " << c.id;
  }
  EXPECT_TRUE(std::string(KORVANE_DEFAULT_LOGIN_URL).ends_with("/login/lorvik/gy"));
}

TEST(StringTable, DeploymentAddressesFollowTheEnvironment) {
  const struct {
    const char* variable;
    int id;
    const char* builtIn;
  } cases[] = {
      {"KORVANE_LOGIN_URL", kv::res::IDS_LOGIN_URL, KORVANE_DEFAULT_LOGIN_URL},
      {"KORVANE_UPDATE_URL", kv::res::IDS_UPDATE_BASE_URL, KORVANE_DEFAULT_UPDATE_URL},
  };
  for (const auto& c : cases) {
    {
      kv::test::EnvOverride set(c.variable, "http://127.0.0.1:1/x");
      EXPECT_EQ(kv::res::LoadString(c.id), "http://127.0.0.1:1/x") << c.variable;
    }
    {
      kv::test::EnvOverride empty(c.variable, "");
      EXPECT_EQ(kv::res::LoadString(c.id), c.builtIn) << c.variable << " empty";
    }
    kv::test::EnvOverride unset(c.variable, nullptr);
    EXPECT_EQ(kv::res::LoadString(c.id), c.builtIn) << c.variable << " unset";
  }
}

}  // namespace
