#pragma once
// The settings file "systemset.ini" in the program folder's res sub-folder, read
// and written with private-profile semantics: section and key names compared
// without regard to case, a value running to the end of its line, a fallback
// for anything missing, and a write of one key leaving every other line as it was.

#include <string>
#include <string_view>

namespace kv::app {

// Longest value a read returns, in UTF-16 code units; longer values are cut.
inline constexpr std::size_t kMaxSettingLength = 259;

// Program folder + "res//systemset.ini", rebuilt on every call.
std::string GetSettingsPath();

// The stored value of [section] key, or `fallback` when the file, section or key is missing
// (or the file cannot be read); a key that is present with nothing after its '=' gives the
// empty text, not the fallback. Either is returned as valid UTF-8 (stray bytes become U+FFFD)
// and cut to kMaxSettingLength UTF-16 code units.
std::string ReadSetting(std::string_view section, std::string_view key, std::string_view fallback);

// Stores [section] key=value, creating the file, section and key as needed; every
// other byte of the file stays as it was. The new file replaces the old one in a
// single rename, so a crash leaves either of them whole. False when the file
// cannot be written (for example, its folder is missing: it is never created),
// when an existing file cannot be read, and when the names or the value could not
// be read back (see SetProfileValue in app/IniFile.h). White space around the
// value is stored but, as with any value, not read back.
bool WriteSetting(std::string_view section, std::string_view key, std::string_view value);

// The same two operations on any file.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// How an on/off value (`rem`, `autologin`) is taken: exactly "0" is off, any
// other text (the empty one included) is on.
inline bool IsFlagOn(std::string_view value) {
  return value != "0";
}

// Decodes a saved account value (standard Base64, other characters skipped),
// keeping at most 1023 bytes and stopping at the first NUL; the bytes are
// taken as UTF-8.
std::string DecodeAccountText(std::string_view base64);

}  // namespace kv::app
