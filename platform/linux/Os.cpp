#include "platform/Os.h"

#include "platform/Clock.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <glib.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "platform/linux/FileDescriptor.h"
#include "platform/linux/GlibPtr.h"

extern char** environ;

namespace kv::platform {

namespace {

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::filesystem::path(home)
                                          : std::filesystem::path(g_get_home_dir());
}

// XDG base directories are read from the environment on every call, so that a
// test (or the user) changing them is honoured without restarting anything.
std::filesystem::path XdgFolder(const char* variable, const char* fallbackBelowHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') {
    return value;
  }
  return HomeFolder() / fallbackBelowHome;
}

// Reads XDG_DESKTOP_DIR from user-dirs.dirs ("$HOME/..." or an absolute path).
std::filesystem::path DesktopFromUserDirs() {
  const std::filesystem::path file = UserConfigHome() / "user-dirs.dirs";
  GCharPtr contents;
  if (!g_file_get_contents(file.c_str(), contents.out(), nullptr, nullptr)) {
    return {};
  }
  GStrvPtr lines(g_strsplit(contents.get(), "\n", -1));
  for (char** line = lines.get(); *line != nullptr; ++line) {
    std::string_view text = *line;
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=\"";
    if (!text.starts_with(kKey) || !text.ends_with('"')) {
      continue;
    }
    std::string value(text.substr(kKey.size(), text.size() - kKey.size() - 1));
    if (value.starts_with("$HOME")) {
      return HomeFolder().string() + value.substr(5);
    }
    if (value.starts_with('/')) {
      return value;
    }
  }
  return {};
}

}  // namespace

std::filesystem::path UserDataHome() {
  return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path UserConfigHome() {
  return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path MachineConfigFolder() {
  const char* value = std::getenv("XDG_CONFIG_DIRS");
  if (value != nullptr && value[0] == '/') {
    std::string_view dirs = value;
    return std::string(dirs.substr(0, dirs.find(':')));
  }
  return "/etc/xdg";
}

std::filesystem::path DesktopFolder() {
  std::filesystem::path desktop = DesktopFromUserDirs();
  if (desktop.empty()) {
    desktop = HomeFolder() / "Desktop";
  }
  return desktop;
}

std::filesystem::path ProgramsMenuFolder() {
  return UserDataHome() / "applications";
}

std::filesystem::path ExecutablePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

bool StartProcess(const std::filesystem::path& program, const std::string& commandLine) {
  // The whole command line travels as one argument: the receiver joins its
  // arguments with blanks, which gives back exactly this text.
  std::string programText = program.string();
  std::string argument = commandLine;
  char* argv[] = {programText.data(), commandLine.empty() ? nullptr : argument.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Only the standard streams are passed on; everything else is close-on-exec
  // in GLib and curl, and descriptors of our own are opened with O_CLOEXEC.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child = 0;
  const int result = posix_spawn(&child, programText.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return result == 0;
}

void ExitProcess(int code) {
  std::fflush(nullptr);
  _exit(code);
}

bool MoveToTrash(const std::filesystem::path& path) {
  GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
  GErrorPtr error;
  return g_file_trash(file.get(), nullptr, error.out()) != FALSE;
}

void DebugTrace(std::string_view line) {
  if (line.ends_with("\r\n")) {
    line.remove_suffix(2);
  }
  g_log("korvane", G_LOG_LEVEL_DEBUG, "%.*s", static_cast<int>(line.size()), line.data());
}

bool AppendExclusive(const std::filesystem::path& file, std::string_view bytes) {
  FileDescriptor log(::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!log.valid()) {
    return false;
  }
  bool ok = ::flock(log.get(), LOCK_EX) == 0;
  // Under the lock the end of the file is ours: remember it, so that a write
  // cut short (a full disk) can be taken back instead of leaving half a line.
  const off_t end = ok ? ::lseek(log.get(), 0, SEEK_END) : -1;
  ok = ok && end >= 0;
  bool wroteSome = false;
  while (ok && !bytes.empty()) {
    const ssize_t written = ::write(log.get(), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    ok = written > 0;
    if (ok) {
      wroteSome = true;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
  }
  if (!ok && wroteSome) {
    // The line is lost either way; taking it back keeps the file whole.
    static_cast<void>(::ftruncate(log.get(), end));
  }
  // Closing the descriptor releases the lock.
  return log.Close() == 0 && ok;
}

bool Md5OfFile(const std::filesystem::path& file, unsigned char digest[16]) {
  FileDescriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) {
    return false;
  }
  ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  GChecksumPtr checksum(g_checksum_new(G_CHECKSUM_MD5));
  static constexpr std::size_t kPiece = 256 * 1024;
  auto buffer = std::make_unique<unsigned char[]>(kPiece);
  for (;;) {
    const ssize_t got = ::read(in.get(), buffer.get(), kPiece);
    if (got == 0) {
      break;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    g_checksum_update(checksum.get(), buffer.get(), got);
  }
  gsize length = 16;
  g_checksum_get_digest(checksum.get(), digest, &length);
  return true;
}

bool LocalTimeNow(std::tm& local) {
  const std::time_t now = std::time(nullptr);
  return now != static_cast<std::time_t>(-1) && localtime_r(&now, &local) != nullptr;
}

}  // namespace kv::platform
