#include "tests/support/UpdateSandbox.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "app/Paths.h"
#include "app/RunLog.h"
#include "app/Text.h"
#include "platform/Os.h"

namespace kv::test {

namespace {

namespace fs = std::filesystem;

bool LiesBelow(const fs::path& path, const fs::path& folder) {
  const fs::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
  return !relative.empty() && *relative.begin() != "..";
}

class Sandbox {
 public:
  Sandbox() {
    const char* current = std::getenv("XDG_DATA_HOME");
    if (current != nullptr && LiesBelow(current, fs::temp_directory_path())) {
      fs::create_directories(current);
      return;
    }
    std::string pattern = (fs::temp_directory_path() / "kv-update-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder");
    }
    root_ = pattern;
    const fs::path home = root_ / "home";
    const fs::path dataHome = home / ".local/share";
    fs::create_directories(dataHome);
    fs::create_directories(home / ".config");
    fs::create_directories(home / ".cache");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
  }
  ~Sandbox() {
    if (!root_.empty()) {
      std::error_code error;
      fs::remove_all(root_, error);
    }
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

 private:
  fs::path root_;  // set only when this object made the sandbox
};

void EnsureSandbox() {
  static const Sandbox sandbox;
}

// Made before any test runs, so that no test computes the program folder
// (kept for the whole process) from the real data home.
class UpdateSandboxEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { EnsureSandbox(); }
};

[[maybe_unused]] ::testing::Environment* const kSandboxEnvironment =
    ::testing::AddGlobalTestEnvironment(new UpdateSandboxEnvironment);

constexpr std::string_view kFailurePatternTag = "<failure text matching> ";

}  // namespace

std::string FailureTextMatching(const std::string& pattern) {
  return std::string(kFailurePatternTag) + pattern;
}

fs::path UpdateSandboxDataHome() {
  EnsureSandbox();
  return platform::UserDataHome();
}

void ResetUpdateSandbox() {
  const fs::path dataHome = UpdateSandboxDataHome();
  ASSERT_TRUE(LiesBelow(dataHome, fs::temp_directory_path()))
      << "the data home " << dataHome << " is not a temporary one";
  const fs::path programFolder = app::GetProgramFolder();
  ASSERT_TRUE(LiesBelow(programFolder, dataHome))
      << "the program folder " << programFolder << " was computed outside the sandbox";
  std::error_code error;
  fs::remove_all(programFolder, error);
  fs::remove_all(app::GetCacheFolder(), error);
  fs::create_directories(programFolder / "res");
}

std::vector<std::string> ReadRunLogMessages(std::size_t skipBytes) {
  std::ifstream stream(app::GetRunLogPath(), std::ios::binary);
  stream.seekg(static_cast<std::streamoff>(skipBytes));
  const std::string bytes((std::istreambuf_iterator<char>(stream)),
                          std::istreambuf_iterator<char>());
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::vector<std::string> messages;
  const std::string lines = app::Utf16ToUtf8(text);
  constexpr std::string_view kTag = "\tUpdateModule\t";
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find("\r\n", start);
    if (end == std::string::npos) {
      end = lines.size();
    }
    const std::string line = lines.substr(start, end - start);
    const std::size_t tag = line.find(kTag);
    messages.push_back(tag == std::string::npos ? "<malformed> " + line
                                                : line.substr(tag + kTag.size()));
    start = end + 2;
  }
  return messages;
}

void ExpectRunLog(const std::vector<std::string>& expected, const std::string& label,
                  std::size_t skipBytes) {
  const std::vector<std::string> actual = ReadRunLogMessages(skipBytes);
  std::string shown;
  for (const std::string& line : actual) {
    shown += "\n    " + line.substr(0, 160);
  }
  SCOPED_TRACE(label + ": run log is" + shown);
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] == kAnyFailureText) {
      EXPECT_FALSE(actual[i].empty()) << "line " << i;
      EXPECT_LE(app::Utf8ToUtf16(actual[i]).size(), 254u) << "line " << i;
    } else if (expected[i].starts_with(kFailurePatternTag)) {
      const std::string pattern = expected[i].substr(kFailurePatternTag.size());
      EXPECT_TRUE(std::regex_match(actual[i], std::regex(pattern)))
          << "line " << i << " '" << actual[i] << "' does not match '" << pattern << "'";
      EXPECT_LE(app::Utf8ToUtf16(actual[i]).size(), 254u) << "line " << i;
    } else {
      EXPECT_EQ(actual[i], expected[i]) << "line " << i;
    }
  }
}

}  // namespace kv::test
