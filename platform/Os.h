#pragma once
// Operating-system services the launcher's logic needs, independent of any
// toolkit. The Linux implementation lives in platform/linux/.

#include <filesystem>
#include <string>
#include <string_view>

namespace kv::platform {

// The per-user application-data folder: $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path UserDataHome();
// Per-user configuration: $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path UserConfigHome();
// Machine-wide configuration: the first entry of $XDG_CONFIG_DIRS, else /etc/xdg.
std::filesystem::path MachineConfigFolder();
// The user's desktop folder (XDG user dirs); empty when it cannot be determined.
std::filesystem::path DesktopFolder();
// The applications menu folder: <data home>/applications.
std::filesystem::path ProgramsMenuFolder();

// Full path of the running executable.
std::filesystem::path ExecutablePath();

// Starts `program` so that its raw command line is exactly `commandLine`
// (empty: no arguments). Handles are not inherited; the child is not waited for.
bool StartProcess(const std::filesystem::path& program, const std::string& commandLine);

// Ends the process at once with `code`; no windows are closed first.
[[noreturn]] void ExitProcess(int code);

// Moves a file or folder (with its contents) to the user's trash, silently.
bool MoveToTrash(const std::filesystem::path& path);

// Writes one line to the debug trace channel (the GLib log domain "korvane",
// shown with G_MESSAGES_DEBUG=korvane). A trailing "\r\n" is dropped.
void DebugTrace(std::string_view line);

}  // namespace kv::platform

namespace kv::platform {

// Appends `bytes` to `file` as one piece under an exclusive lock, so lines of
// concurrent writers never interleave; never truncates. The folder must exist.
bool AppendExclusive(const std::filesystem::path& file, std::string_view bytes);

// MD5 (RFC 1321) of the whole file, read in pieces; false when it cannot be read.
bool Md5OfFile(const std::filesystem::path& file, unsigned char digest[16]);

}  // namespace kv::platform

namespace kv::platform {

// Lets everyone read and run the file, only its owner write it (mode 0755).
bool MakeExecutable(const std::filesystem::path& file);

}  // namespace kv::platform
