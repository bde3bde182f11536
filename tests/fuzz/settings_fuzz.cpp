// Feeds arbitrary bytes to the settings file reader and writer: the input
// becomes the file, a few keys are read, one key is written, and the file is
// read again. Besides crashes and hangs it catches a write that does not read
// back or that changes any other key's value.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "app/Settings.h"
#include "app/Text.h"

namespace {

namespace fs = std::filesystem;

struct Key {
  const char* section;
  const char* key;
  const char* fallback;
};

constexpr Key kKeys[] = {
    {"Info", "code", ""},
    {"Info", "pwd", ""},
    {"Info", "rem", "1"},
    {"Setting", "autologin", "0"},
    {"Setting", "screentoggle", "0"},
    {"setting", "FULLSCREEN", "0"},
    {"Start", "firststart", "0"},
};
constexpr std::size_t kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// A folder of this process's own, made anew for every input and removed
// afterwards, so nothing is left behind however the fuzzer ends. Memory-backed
// when the system has /dev/shm: each write is flushed to disk.
const fs::path& Folder() {
  static const fs::path folder = [] {
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::random_device seed;
    return base / ("korvane-settings-fuzz-" + std::to_string(seed()));
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fs::create_directories(Folder());
  const std::string path = (Folder() / "systemset.ini").string();
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  std::string before[kKeyCount];
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    before[i] = kv::app::ReadProfileString(path, kKeys[i].section, kKeys[i].key, kKeys[i].fallback);
    Check(kv::app::Utf8ToUtf16(before[i]).size() <= kv::app::kMaxSettingLength);
    kv::app::DecodeAccountText(before[i]);
  }
  Check(kv::app::DecodeAccountText(std::string_view(reinterpret_cast<const char*>(data), size))
            .size() <= 3 * 1023);

  Check(kv::app::WriteProfileString(path, "Setting", "start", "1001"));
  Check(kv::app::ReadProfileString(path, "SETTING", "Start", "-1") == "1001");
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    Check(kv::app::ReadProfileString(path, kKeys[i].section, kKeys[i].key, kKeys[i].fallback) ==
          before[i]);
  }
  fs::remove_all(Folder());
  return 0;
}
