#include "hotkey/HotKey.h"

#include <string_view>

namespace kv::hotkey {

namespace {

struct NamedKey {
  const char* name;
  std::uint32_t code;
};

constexpr NamedKey kSingleKeys[] = {
    {"Alt", 0x12},      {"Ctrl", 0x11}, {"Shift", 0x10}, {"Space", 0x20},  {"PageUp", 0x21},
    {"PageDown", 0x22}, {"Home", 0x24}, {"End", 0x23},   {"Insert", 0x2D}, {"Delete", 0x2E},
    {"Up", 0x26},       {"Down", 0x28}, {"Left", 0x25},  {"Right", 0x27},  {",", 0xBC},
    {".", 0xBE},        {"+", 0xBB},    {"-", 0xBD},     {";", 0xBA},      {"/", 0xBF},
    {"`", 0xC0},        {"[", 0xDB},    {"\\", 0xDC},    {"]", 0xDD},      {"'", 0xDE},
    {"Num+", 0x6B},     {"Num-", 0x6D}, {"Num*", 0x6A},  {"Num/", 0x6F},   {"NumDel", 0x6E},
};

}  // namespace

CHotKeyTable::CHotKeyTable() {
  for (const NamedKey& entry : kSingleKeys) {
    m_mapKeys.emplace(entry.name, entry.code);
  }
  // Names are built by appending: GCC 12 warns falsely (-Wrestrict) at -O3
  // about "literal" + std::string.
  auto numbered = [](const char* prefix, std::uint32_t n) {
    std::string name = prefix;
    name += std::to_string(n);
    return name;
  };
  for (std::uint32_t i = 0; i < 12; ++i) {
    m_mapKeys.emplace(numbered("F", i + 1), 0x70 + i);
  }
  for (std::uint32_t i = 0; i < 10; ++i) {
    m_mapKeys.emplace(std::string(1, static_cast<char>('0' + i)), 0x30 + i);
    m_mapKeys.emplace(numbered("Num", i), 0x60 + i);
  }
  for (std::uint32_t i = 0; i < 26; ++i) {
    m_mapKeys.emplace(std::string(1, static_cast<char>('A' + i)), 0x41 + i);
  }
}

std::uint32_t CHotKeyTable::Find(const std::string& name) const {
  const auto found = m_mapKeys.find(name);
  return found == m_mapKeys.end() ? 0 : found->second;
}

void ParseHotKey(const CHotKeyTable& table, std::string text, std::uint32_t& modifiers,
                 std::uint32_t& key) {
  modifiers = 0;
  key = 0;
  std::string_view rest = text;
  for (std::size_t plus = rest.find('+'); !rest.empty() && plus != std::string_view::npos;
       plus = rest.find('+')) {
    const std::string_view token = rest.substr(0, plus);
    rest.remove_prefix(plus + 1);
    if (token == "Alt") {
      modifiers |= MOD_ALT;
    } else if (token == "Ctrl") {
      modifiers |= MOD_CONTROL;
    } else if (token == "Shift") {
      modifiers |= MOD_SHIFT;
    }
  }
  key = table.Find(std::string(rest));
}

}  // namespace kv::hotkey
