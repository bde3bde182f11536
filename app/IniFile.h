#pragma once
// Reading and rewriting private-profile (INI) text in memory.
//
// How the text is read:
// - Lines end with LF; a CR before the LF belongs to the line ending. A UTF-8
//   byte-order mark at the start of the text is skipped.
// - A line whose first non-blank character is '[' and that holds a ']' later
//   on is a section header; the name is the text between '[' and the last ']'.
// - A line whose first non-blank character is ';' is a comment.
// - Any other line holding '=' is a key line: the key is the text before the
//   first '=', the value the text after it, up to the end of the line or a NUL
//   character, whichever comes first.
// - Section names, key names and values lose surrounding ASCII white space
//   (blank, tab, CR, VT, FF), as the Windows private-profile functions do; no
//   quotes are removed.
// - Names are compared without regard to ASCII letter case. Only the first
//   section of a name counts, and in it the first line of the key; lines
//   before the first header belong to no section.
//
// How a value is stored: only the bytes that must change are touched.
// - An existing key keeps everything up to and including its '=' and its line
//   ending; the text between them becomes the new value.
// - A new key gets a line of its own after the last non-blank line of its
//   section; a new section is appended at the end of the text.
// - New lines end the way the text's first line does (CR LF when the text has
//   no line ending yet).

#include <optional>
#include <string>
#include <string_view>

namespace kv::app {

// The value of [section] key in `text`, without surrounding white space;
// nothing when the section or the key is missing or a name is empty.
std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key);

// `text` with [section] key set to `value`. Nothing when the pair cannot be
// stored so that it reads back: an empty name, a name with surrounding white
// space, a line break or NUL anywhere, ']' in the section, or '=' in the key or
// a key starting with '[' or ';'.
std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value);

}  // namespace kv::app
