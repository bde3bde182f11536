#include "app/Settings.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "app/IniFile.h"
#include "app/Paths.h"
#include "app/Text.h"
#include "platform/FileReplace.h"
#include "res/Resources.h"
#include "res/StringIds.h"

namespace kv::app {

namespace {

// A settings file is a few hundred bytes; anything beyond this is not one,
// and is neither read into memory nor rewritten.
constexpr std::uintmax_t kMaxFileBytes = 16u * 1024u * 1024u;

// Longest decoded account text, in bytes, before the terminating NUL of the
// fixed buffer the stored values were made for.
constexpr std::size_t kMaxAccountBytes = 1023;

enum class FileState { kRead, kMissing, kUnreadable };

FileState ReadWholeFile(const std::string& path, std::string& contents) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return FileState::kMissing;
  }
  if (error || status.type() != std::filesystem::file_type::regular) {
    return FileState::kUnreadable;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileBytes) {
    return FileState::kUnreadable;
  }
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    return FileState::kUnreadable;
  }
  contents.assign(static_cast<std::size_t>(size), '\0');
  stream.read(contents.data(), static_cast<std::streamsize>(size));
  // A file that changed size under us is taken as far as it was read.
  contents.resize(static_cast<std::size_t>(stream.gcount()));
  return stream.bad() ? FileState::kUnreadable : FileState::kRead;
}

// Well-formed UTF-8 of `text`; stray bytes become U+FFFD.
std::string ValidUtf8(std::string_view text) {
  return Utf16ToUtf8(Utf8ToUtf16(text));
}

// What a read hands back: valid UTF-8, at most kMaxSettingLength UTF-16 units.
std::string AsSettingValue(std::string_view raw) {
  // No UTF-16 unit comes from more than four bytes (a malformed sequence
  // becomes one U+FFFD), so this prefix is always long enough and keeps huge
  // values cheap.
  raw = raw.substr(0, kMaxSettingLength * 4 + 4);
  return CutToUtf16Units(ValidUtf8(raw), kMaxSettingLength);
}

constexpr std::array<std::int8_t, 256> MakeBase64Table() {
  std::array<std::int8_t, 256> table{};
  for (auto& entry : table) {
    entry = -1;
  }
  constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  }
  return table;
}

constexpr std::array<std::int8_t, 256> kBase64Values = MakeBase64Table();

// Appends the bytes of one group of `count` (2 to 4) sextets unless that would
// take the output past its limit; false when it would.
bool AppendGroup(std::string& out, std::uint32_t bits, int count) {
  const std::size_t bytes = static_cast<std::size_t>(count - 1);
  if (out.size() + bytes > kMaxAccountBytes) {
    return false;
  }
  bits <<= 6 * (4 - count);
  for (std::size_t i = 0; i < bytes; ++i) {
    out += static_cast<char>((bits >> (16 - 8 * i)) & 0xFF);
  }
  return true;
}

}  // namespace

std::string GetSettingsPath() {
  return GetProgramFolder() + res::LoadString(res::IDS_SETTINGS_FILE);
}

std::string ReadSetting(std::string_view section, std::string_view key, std::string_view fallback) {
  return ReadProfileString(GetSettingsPath(), section, key, fallback);
}

bool WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
  return WriteProfileString(GetSettingsPath(), section, key, value);
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
  std::string contents;
  if (ReadWholeFile(path, contents) == FileState::kRead) {
    if (const auto value = FindProfileValue(contents, section, key)) {
      return AsSettingValue(*value);
    }
  }
  return AsSettingValue(fallback);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  std::string contents;
  if (ReadWholeFile(path, contents) == FileState::kUnreadable) {
    return false;  // rewriting it would lose whatever it holds
  }
  const auto updated = SetProfileValue(contents, section, key, ValidUtf8(value));
  return updated && platform::ReplaceFileContents(path, *updated);
}

std::string DecodeAccountText(std::string_view base64) {
  std::string bytes;
  std::uint32_t bits = 0;
  int count = 0;
  bool full = false;
  for (const char c : base64) {
    const std::int8_t sextet = kBase64Values[static_cast<unsigned char>(c)];
    if (sextet < 0) {
      continue;
    }
    bits = (bits << 6) | static_cast<std::uint32_t>(sextet);
    if (++count == 4) {
      if (!AppendGroup(bytes, bits, 4)) {
        full = true;
        break;
      }
      bits = 0;
      count = 0;
    }
  }
  if (!full && count >= 2) {
    AppendGroup(bytes, bits, count);
  }
  return ValidUtf8(std::string_view(bytes).substr(0, bytes.find('\0')));
}

}  // namespace kv::app
