#include "tests/support/UpdateSandbox.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>

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
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && LiesBelow(dataHome, fs::temp_directory_path())) {
      dataHome_ = dataHome;
      fs::create_directories(dataHome_);
      return;
    }
    std::string pattern = (fs::temp_directory_path() / "kv-update-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder");
    }
    root_ = pattern;
    const fs::path home = root_ / "home";
    dataHome_ = home / ".local/share";
    fs::create_directories(dataHome_);
    fs::create_directories(home / ".config");
    fs::create_directories(home / ".cache");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
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

  const fs::path& dataHome() const { return dataHome_; }

 private:
  fs::path root_;  // set only when this object made the sandbox
  fs::path dataHome_;
};

}  // namespace

const fs::path& UpdateSandboxDataHome() {
  static const Sandbox sandbox;
  return sandbox.dataHome();
}

void ResetUpdateSandbox() {
  const fs::path& dataHome = UpdateSandboxDataHome();
  ASSERT_EQ(platform::UserDataHome(), dataHome);
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
    } else {
      EXPECT_EQ(actual[i], expected[i]) << "line " << i;
    }
  }
}

}  // namespace kv::test
