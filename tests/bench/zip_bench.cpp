// Extracts every member of an archive with the launcher's ZIP reader and
// reports the time taken and the peak resident memory. The archive is mapped
// rather than read, as the launcher's own resource data is, so that only the
// pages the reader touches become resident.
//
//   zip_bench <archive> <target folder>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "install/zip/Unzip.h"

int main(int argc, char** argv) {
  using namespace kv::zip;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <archive> <target folder>\n", argv[0]);
    return 2;
  }
  const int fd = ::open(argv[1], O_RDONLY);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size == 0) {
    std::perror(argv[1]);
    return 1;
  }
  const auto length = static_cast<std::size_t>(info.st_size);
  void* block = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
  if (block == MAP_FAILED) {
    std::perror("mmap");
    return 1;
  }
  ::madvise(block, length, MADV_SEQUENTIAL);

  const auto start = std::chrono::steady_clock::now();
  HZIP zip = UnzipOpenMemory(block, length);
  if (zip == nullptr) {
    std::fprintf(stderr, "not an archive (0x%08X)\n", g_unzipLastResult);
    return 1;
  }
  UnzipSetTargetFolder(zip, argv[2]);
  UnzipEntry count;
  UnzipGetEntry(zip, -1, &count);
  int failures = 0;
  unsigned long long bytes = 0;
  for (int index = 0; index < count.index; ++index) {
    UnzipEntry entry;
    ZRESULT result = UnzipGetEntry(zip, index, &entry);
    if (result == UZR_OK) {
      result = UnzipExtractFile(zip, index, entry.name);
      bytes += entry.size;
    }
    if (result != UZR_OK) {
      std::fprintf(stderr, "member %d: 0x%08X\n", index, result);
      ++failures;
    }
  }
  UnzipClose(zip);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("members %d, %llu bytes, %.3f s, %.1f MB/s, peak RSS %ld KB, archive %zu KB\n",
              count.index, bytes, seconds, bytes / seconds / 1e6, usage.ru_maxrss, length / 1024);
  ::munmap(block, length);
  ::close(fd);
  return failures == 0 ? 0 : 1;
}
