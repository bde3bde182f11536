#include "platform/FileReplace.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <system_error>

#include "platform/linux/GlibPtr.h"

namespace kv::platform {

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
