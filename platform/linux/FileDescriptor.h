#pragma once
// An owned POSIX file descriptor, closed when the holder goes.

#include <unistd.h>

#include <cerrno>

namespace kv::platform {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Returns 0 or the error of close(), which can report a failed write-back.
  int Close() {
    int error = 0;
    if (fd_ >= 0 && ::close(fd_) != 0) {
      error = errno;
    }
    fd_ = -1;
    return error;
  }

 private:
  int fd_;
};

}  // namespace kv::platform
