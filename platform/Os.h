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

// Replaces `target` with a copy of `source`: the copy is written to a new file in
// the target's folder and renamed over the target, so the target is always either
// the old file or the complete new one, and a running copy of the old file does
// not block the replacement. The copy gets the source's permission bits; a
// symbolic link at `target` is followed. Returns 0, or the error number (errno)
// of the step that failed, after removing the partly written file.
int ReplaceFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target);

// Lets everyone read and run the file, only its owner write it (mode 0755).
bool MakeExecutable(const std::filesystem::path& file);

}  // namespace kv::platform

namespace kv::platform {

// Files of the per-user installation (shortcuts, the uninstall entry).

// Writes `bytes` to a temporary file beside `file`, gives it exactly the
// permission bits `mode`, flushes it and renames it over `file`: readers see
// the old file or the whole new one. The folder must exist.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, unsigned mode);

enum class CreateOnceResult { kCreated, kExists, kFailed };

// Creates `file` holding `bytes` with permission bits `mode` only when nothing
// exists at that name; an existing entry is never changed. The file appears
// whole or not at all. The folder must exist.
CreateOnceResult CreateFileOnce(const std::filesystem::path& file, std::string_view bytes,
                                unsigned mode);

}  // namespace kv::platform
