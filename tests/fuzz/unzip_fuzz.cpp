// Fuzz target of the ZIP reader: opens the input as an archive, describes and
// extracts every member into a fresh folder, and checks that nothing was
// written beside that folder. Members claiming more than 1 MiB are skipped so
// that a run cannot fill the disk.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "install/zip/Unzip.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMaxMemberSize = 1u << 20;

// A folder of this process's own; extraction goes to its "target" folder.
// It is removed when the fuzzer exits.
class Workspace {
 public:
  Workspace() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("unzip_fuzz-" + std::to_string(random()));
    fs::create_directories(path_);
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Aborts when extraction left anything in the workspace but the target folder.
void CheckNothingOutside(const fs::path& workspace) {
  for (const auto& item : fs::directory_iterator(workspace)) {
    if (item.path().filename() != "target") {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kv::zip;
  HZIP zip = UnzipOpenMemory(data, size);
  if (zip == nullptr) {
    return 0;
  }
  static const Workspace kWorkspace;
  const fs::path& workspace = kWorkspace.path();
  const fs::path target = workspace / "target";
  UnzipSetTargetFolder(zip, target.string());
  UnzipEntry count;
  UnzipGetEntry(zip, -1, &count);
  for (int index = 0; index < count.index; ++index) {
    UnzipEntry entry;
    if (UnzipGetEntry(zip, index, &entry) != UZR_OK) {
      UnzipExtractFile(zip, index, "unreadable");
      continue;
    }
    if (entry.size <= kMaxMemberSize) {
      UnzipExtractFile(zip, index, entry.name);
    }
  }
  UnzipClose(zip);
  CheckNothingOutside(workspace);
  std::error_code ignored;
  fs::remove_all(target, ignored);
  return 0;
}
