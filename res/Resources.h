#pragma once
// Resources compiled into the executable: the string table, the skin images,
// the login pop-up bitmap and the defaults archive.

#include <cstdint>
#include <span>
#include <string>

namespace kv::res {

enum class Type { kPNG, kBITMAP, kZIP };

// The bytes of resource `id` of `type`; empty when the program has no such resource.
std::span<const std::uint8_t> Find(Type type, int id);

// String `id` of the string table (UTF-8); empty for an id the table lacks (such as 125).
// Strings 114 and 191 are deployment values: KORVANE_LOGIN_URL and KORVANE_UPDATE_URL
// in the environment replace the built-in addresses (docs/architecture.md).
std::string LoadString(int id);

}  // namespace kv::res
