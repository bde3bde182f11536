// Atomic creation and replacement of small installation files: the content
// goes to a hidden temporary file in the same folder first, so it is complete
// and flushed before its final name exists.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/Os.h"

namespace kv::platform {

namespace {

// An open temporary file beside a final name; removed unless Keep() was called.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::filesystem::path& finalName) {
    constexpr std::size_t kMaxBase = 200;  // room for the suffix within NAME_MAX
    std::string base = finalName.filename().string().substr(0, kMaxBase);
    path_ = (finalName.parent_path() / ("." + base + ".XXXXXX")).string();
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    if (!kept_) {
      ::unlink(path_.c_str());
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }

  // Writes everything, sets the mode and flushes; false on any failure.
  bool Fill(std::string_view bytes, unsigned mode) {
    if (fd_ < 0) {
      return false;
    }
    while (!bytes.empty()) {
      const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) {
        continue;
      }
      if (written <= 0) {
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    const bool ok = ::fchmod(fd_, static_cast<mode_t>(mode & 07777)) == 0 && ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return ok && closed;
  }

  void Keep() { kept_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, unsigned mode) {
  TemporaryFile temporary(file);
  if (!temporary.Fill(bytes, mode) || ::rename(temporary.path().c_str(), file.c_str()) != 0) {
    return false;
  }
  temporary.Keep();
  return true;
}

CreateOnceResult CreateFileOnce(const std::filesystem::path& file, std::string_view bytes,
                                unsigned mode) {
  TemporaryFile temporary(file);
  if (!temporary.Fill(bytes, mode)) {
    return CreateOnceResult::kFailed;
  }
  // link() never replaces an existing name: it is the exclusive creation,
  // with the content already in place.
  if (::link(temporary.path().c_str(), file.c_str()) != 0) {
    return errno == EEXIST ? CreateOnceResult::kExists : CreateOnceResult::kFailed;
  }
  return CreateOnceResult::kCreated;
}

}  // namespace kv::platform
