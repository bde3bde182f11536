#include "install/zip/OutputFile.h"

#include <atomic>
#include <string>
#include <system_error>

namespace kv::zip {

namespace {

constexpr int kNameAttempts = 100;

std::atomic<unsigned> g_temporaryCounter{0};

}  // namespace

OutputFile::~OutputFile() {
  Close();
  if (!temporary_.empty() && !committed_) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
  }
}

bool OutputFile::Create(const std::filesystem::path& destination) {
  destination_ = destination;
  const std::filesystem::path folder = destination.parent_path();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::filesystem::path candidate =
        folder / (".unzip-" + std::to_string(g_temporaryCounter++) + ".part");
    // "x": exclusive creation, so an existing file is never taken over.
    file_ = std::fopen(candidate.c_str(), "wbx");
    if (file_ != nullptr) {
      temporary_ = candidate;
      // Writes come in whole buffers already; a second buffer would only copy.
      std::setvbuf(file_, nullptr, _IONBF, 0);
      return true;
    }
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) {
      return false;  // the folder does not take new files at all
    }
  }
  return false;
}

bool OutputFile::Write(const unsigned char* bytes, std::size_t count) {
  return file_ != nullptr && std::fwrite(bytes, 1, count, file_) == count;
}

bool OutputFile::Close() {
  if (file_ == nullptr) {
    return true;
  }
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return closed;
}

bool OutputFile::Commit() {
  if (file_ != nullptr || temporary_.empty()) {
    return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary_, destination_, error);
  committed_ = !error;
  return committed_;
}

}  // namespace kv::zip
