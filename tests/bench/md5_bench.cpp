// Runs GetFileMd5 once on the file named on the command line and prints the
// digest and the seconds it took (md5_bench.sh compares it with md5sum).

#include <chrono>
#include <cstdio>
#include <string>

#include "app/FileUtil.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::string digest;
  if (!kv::app::GetFileMd5(argv[1], digest)) {
    std::fprintf(stderr, "md5_bench: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  std::printf("%s  %s\n%.3f s\n", digest.c_str(), argv[1], taken.count());
  return 0;
}
