// Replacing files by write-then-rename. rename() swaps the directory entry in
// one step; a process still executing the old file keeps its own inode, which
// is why this works where opening the running executable for writing would
// fail with ETXTBSY.

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <system_error>

#include "platform/FileReplace.h"
#include "platform/Os.h"
#include "platform/linux/FileDescriptor.h"
#include "platform/linux/GlibPtr.h"

namespace kv::platform {

namespace {

// Copies everything from `from` to `to`; 0 or the failing call's errno.
int CopyContents(int from, int to) {
  constexpr std::size_t kPiece = 1 << 20;
  const auto buffer = std::make_unique<char[]>(kPiece);
  for (;;) {
    const ssize_t got = ::read(from, buffer.get(), kPiece);
    if (got == 0) {
      return 0;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t written =
          ::write(to, buffer.get() + done, static_cast<std::size_t>(got - done));
      if (written < 0) {
        if (errno == EINTR) {
          continue;
        }
        return errno;
      }
      done += written;
    }
  }
}

std::filesystem::path ResolveLink(const std::filesystem::path& target) {
  std::error_code error;
  if (std::filesystem::is_symlink(target, error)) {
    std::filesystem::path resolved = std::filesystem::canonical(target, error);
    if (!error) {
      return resolved;
    }
  }
  return target;
}

// Fills the temporary file and makes it durable before it can become the target.
int WriteTemporary(int source, mode_t mode, int temporary) {
  if (const int error = CopyContents(source, temporary); error != 0) {
    return error;
  }
  if (::fchmod(temporary, mode) != 0 || ::fsync(temporary) != 0) {
    return errno;
  }
  return 0;
}

// A hidden name beside the target; long names are shortened so that the
// suffix still fits the file-name limit.
std::string TemporaryTemplate(const std::filesystem::path& folder,
                              const std::filesystem::path& target) {
  constexpr std::size_t kMaxBase = 200;
  std::string base = target.filename().string().substr(0, kMaxBase);
  return (folder / ("." + base + ".XXXXXX")).string();
}

}  // namespace

int ReplaceFileAtomically(const std::filesystem::path& source,
                          const std::filesystem::path& target) {
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) {
    return errno;
  }
  struct stat status {};
  if (::fstat(in.get(), &status) != 0) {
    return errno;
  }
  if (target.empty()) {
    return ENOENT;
  }
  const std::filesystem::path destination = ResolveLink(target);
  std::filesystem::path folder = destination.parent_path();
  if (folder.empty()) {
    folder = ".";
  }
  std::string temporaryName = TemporaryTemplate(folder, destination);
  FileDescriptor out(::mkostemp(temporaryName.data(), O_CLOEXEC));
  if (!out.valid()) {
    return errno;
  }
  int error = WriteTemporary(in.get(), status.st_mode & 0777, out.get());
  if (const int closeError = out.Close(); error == 0) {
    error = closeError;
  }
  if (error == 0 && ::rename(temporaryName.c_str(), destination.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(temporaryName.c_str());
    return error;
  }
  // Make the new directory entry durable too; the file itself is already synced.
  FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.valid()) {
    ::fsync(directory.get());
  }
  return 0;
}

bool ReplaceFileContents(const std::filesystem::path& file, std::string_view bytes) {
  std::error_code error;
  std::filesystem::path target = file;
  if (std::filesystem::is_symlink(file, error)) {
    // Renaming over the link would turn it into a plain file.
    target = std::filesystem::canonical(file, error);
    if (error) {
      return false;
    }
  }
  int mode = 0666;  // narrowed by the umask for a new file
  GStatBuf info;
  if (g_stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      return false;
    }
    mode = static_cast<int>(info.st_mode & 07777);
  }
  // The temporary name is made from the target's, so it lies in the same
  // folder and the final rename cannot cross file systems.
  GErrorPtr failure;
  return g_file_set_contents_full(target.c_str(), bytes.data(), static_cast<gssize>(bytes.size()),
                                  G_FILE_SET_CONTENTS_CONSISTENT, mode, failure.out()) != FALSE;
}

}  // namespace kv::platform
