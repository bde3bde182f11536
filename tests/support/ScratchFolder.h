#pragma once
// A fresh folder below the system's temporary folder for one test, removed
// with everything in it when the test ends.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kv::test {

class ScratchFolder {
 public:
  // `label` becomes part of the folder's name, to tell folders apart when kept.
  explicit ScratchFolder(const std::string& label = "") {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("kvtest-" + label + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
  // The folder as a string ending in '/'.
  std::string slashed() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadWholeFile(const std::filesystem::path& file) { return ReadFile(file); }

inline void WriteWholeFile(const std::filesystem::path& file, const std::string& bytes) {
  WriteFile(file, bytes);
}

// Names of the entries directly in `folder`.
inline std::set<std::string> ListFolder(const std::filesystem::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.insert(entry.path().filename().string());
  }
  return names;
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
