#pragma once
// Text is UTF-8 throughout the launcher; UTF-16 appears only where a file
// format demands it (the run log).

#include <string>
#include <string_view>

namespace kv::app {

// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The first `count` UTF-16 code units' worth of `text`, never splitting a character.
std::string CutToUtf16Units(std::string_view text, std::size_t count);

}  // namespace kv::app
