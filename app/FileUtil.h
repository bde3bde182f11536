#pragma once
// File services shared by start-up, self-update and installation.

#include <string>

namespace kv::app {

// Appends the file's MD5 as 32 lower-case hex digits to `digest`; false (and
// `digest` unchanged) when the file cannot be read. Works on files of any size.
bool GetFileMd5(const std::string& path, std::string& digest);

// The FileVersion text of an executable's version record: "" when no file is
// at `path`, "None VerSion Supprot" when the file has no version record.
std::string GetFileVersionText(const std::string& path);

// True when the folder holds no entry, and also when it cannot be listed.
bool IsFolderEmpty(const std::string& path);

}  // namespace kv::app
