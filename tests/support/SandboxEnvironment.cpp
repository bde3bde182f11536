#include "tests/support/SandboxEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <system_error>

namespace kv::test {

namespace {

std::filesystem::path& Root() {
  static std::filesystem::path root;
  return root;
}

// Makes a folder of a name nobody else has under the temporary folder.
std::filesystem::path MakeUniqueFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / ("korvane-tests-" + std::to_string(random() % 1'000'000'000'000ULL));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::replace, error);
      return candidate;
    }
  }
  return {};
}

class SandboxEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Root() = MakeUniqueFolder();
    ASSERT_FALSE(Root().empty()) << "no sandbox folder could be made";
    Point("HOME", "home");
    Point("XDG_DATA_HOME", "data");
    Point("XDG_CONFIG_HOME", "config");
    Point("XDG_CACHE_HOME", "cache");
    Point("XDG_CONFIG_DIRS", "etc-xdg");
  }

  void TearDown() override {
    std::error_code error;
    std::filesystem::remove_all(Root(), error);
  }

 private:
  static void Point(const char* variable, const char* folder) {
    const std::filesystem::path path = Root() / folder;
    std::filesystem::create_directories(path);
    ::setenv(variable, path.c_str(), 1);
  }
};

[[maybe_unused]] const ::testing::Environment* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new SandboxEnvironment);

}  // namespace

std::filesystem::path SandboxRoot() {
  return Root();
}

std::filesystem::path SandboxDataHome() {
  return Root() / "data";
}

std::filesystem::path MakeScratchFolder(std::string_view name) {
  static int counter = 0;
  const std::filesystem::path folder =
      Root() / "scratch" / (std::string(name) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace kv::test
