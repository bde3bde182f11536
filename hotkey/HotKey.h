#pragma once
// Hotkey texts such as "Ctrl+Shift+A" or "F10", as stored in the settings
// file, turned into modifier flags and a virtual-key code.
//
// Key codes are the Windows virtual-key codes, kept as the portable identity
// of a key; a window-system backend maps them to its own key symbols.

#include <cstdint>
#include <map>
#include <string>

namespace kv::hotkey {

// Modifier flags of a hotkey.
inline constexpr std::uint32_t MOD_ALT = 0x0001;
inline constexpr std::uint32_t MOD_CONTROL = 0x0002;
inline constexpr std::uint32_t MOD_SHIFT = 0x0004;

// Key names (matched exactly, letter case included) and their virtual-key codes.
class CHotKeyTable {
 public:
  CHotKeyTable();

  // The code of `name`, or 0 when the table has no such key.
  std::uint32_t Find(const std::string& name) const;

  const std::map<std::string, std::uint32_t>& Entries() const { return m_mapKeys; }

 private:
  std::map<std::string, std::uint32_t> m_mapKeys;
};

// Reads "Word+Word+Key": every token before the last '+' that is exactly "Alt",
// "Ctrl" or "Shift" adds its flag (others are ignored), and the text after the
// last '+' is looked up in the table. An unknown key gives code 0.
void ParseHotKey(const CHotKeyTable& table, std::string text, std::uint32_t& modifiers,
                 std::uint32_t& key);

}  // namespace kv::hotkey
