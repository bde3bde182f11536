#include <sys/stat.h>

#include "platform/Os.h"

namespace kv::platform {

bool MakeExecutable(const std::filesystem::path& file) {
  return ::chmod(file.c_str(), 0755) == 0;
}

}  // namespace kv::platform
