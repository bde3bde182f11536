#pragma once
// A fresh folder per test under the test output folder, removed afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kv::test {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& label = "") {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                       : std::string("scratch");
    for (char& c : name) {
      if (c == '/') {
        c = '_';
      }
    }
    path_ = std::filesystem::path(KORVANE_TEST_OUTPUT) / "scratch" / (name + label);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as a string ending in '/'.
  std::string slashed() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Every path below `folder`, relative to it, with '/' separators, sorted.
inline std::vector<std::string> ListTree(const std::filesystem::path& folder) {
  std::vector<std::string> paths;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    paths.push_back(std::filesystem::relative(item.path(), folder).generic_string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace kv::test
