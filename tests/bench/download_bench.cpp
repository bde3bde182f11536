// Times the update download of one URL through CUpdateModule::DownloadAndRun,
// as the launcher does it, into a data home given on the command line.
// Prints one line: seconds until the target file held all `bytes` (the
// transfer), seconds for the whole call up to the hand-over (transfer, size
// check and MD5 digest), and the peak resident memory.
//
// Usage: korvane_download_bench <data home> <url> <bytes>

#include <stdlib.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "update/UpdateModule.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <data home> <url> <bytes>\n", argv[0]);
    return 2;
  }
  ::setenv("XDG_DATA_HOME", argv[1], 1);
  const std::uintmax_t bytes = std::stoull(argv[3]);
  using Clock = std::chrono::steady_clock;

  Clock::time_point handedOver{};
  bool complete = false;
  kv::update::CUpdateModule update("/q7kovrtmp.exe", "/rozovizo_7/kovr/",
                                   [&](const std::string&, const std::string&) {
                                     handedOver = Clock::now();
                                     complete = true;
                                   });
  std::filesystem::create_directories(std::filesystem::path(argv[1]) / "rozovizo_7/kovr/res");

  // The transfer ends when the target holds every byte; watch it from outside
  // so that the code under test runs unchanged.
  std::atomic<bool> done = false;
  Clock::time_point transferred{};
  std::thread watcher([&] {
    std::error_code error;
    while (!done) {
      if (std::filesystem::file_size(update.TempExe(), error) == bytes && !error) {
        transferred = Clock::now();
        return;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });

  const Clock::time_point start = Clock::now();
  update.DownloadAndRun(argv[2]);
  done = true;
  watcher.join();
  if (!complete) {
    std::fprintf(stderr, "the download did not complete; see the run log\n");
    return 1;
  }

  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
  std::printf("transfer=%.3f total=%.3f maxrss_kb=%ld\n", seconds(transferred - start),
              seconds(handedOver - start), usage.ru_maxrss);
  return 0;
}
