#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "hotkey/HotKey.h"

namespace {

using kv::hotkey::CHotKeyTable;
using kv::hotkey::MOD_ALT;
using kv::hotkey::MOD_CONTROL;
using kv::hotkey::MOD_SHIFT;
using kv::hotkey::ParseHotKey;

TEST(HotKeyFlags, HaveTheRegistrationValues) {
  EXPECT_EQ(MOD_ALT, 0x0001u);
  EXPECT_EQ(MOD_CONTROL, 0x0002u);
  EXPECT_EQ(MOD_SHIFT, 0x0004u);
}

// The key names written out one by one, as a reader of the table would list them.
std::map<std::string, std::uint32_t> ExpectedKeys() {
  return {
      {"Alt", 0x12},      {"Ctrl", 0x11}, {"Shift", 0x10},  {"Space", 0x20},  {"PageUp", 0x21},
      {"PageDown", 0x22}, {"Home", 0x24}, {"End", 0x23},    {"Insert", 0x2D}, {"Delete", 0x2E},
      {"Up", 0x26},       {"Down", 0x28}, {"Left", 0x25},   {"Right", 0x27},  {"F1", 0x70},
      {"F2", 0x71},       {"F3", 0x72},   {"F4", 0x73},     {"F5", 0x74},     {"F6", 0x75},
      {"F7", 0x76},       {"F8", 0x77},   {"F9", 0x78},     {"F10", 0x79},    {"F11", 0x7A},
      {"F12", 0x7B},      {"0", 0x30},    {"1", 0x31},      {"2", 0x32},      {"3", 0x33},
      {"4", 0x34},        {"5", 0x35},    {"6", 0x36},      {"7", 0x37},      {"8", 0x38},
      {"9", 0x39},        {"A", 0x41},    {"B", 0x42},      {"C", 0x43},      {"D", 0x44},
      {"E", 0x45},        {"F", 0x46},    {"G", 0x47},      {"H", 0x48},      {"I", 0x49},
      {"J", 0x4A},        {"K", 0x4B},    {"L", 0x4C},      {"M", 0x4D},      {"N", 0x4E},
      {"O", 0x4F},        {"P", 0x50},    {"Q", 0x51},      {"R", 0x52},      {"S", 0x53},
      {"T", 0x54},        {"U", 0x55},    {"V", 0x56},      {"W", 0x57},      {"X", 0x58},
      {"Y", 0x59},        {"Z", 0x5A},    {",", 0xBC},      {".", 0xBE},      {"+", 0xBB},
      {"-", 0xBD},        {";", 0xBA},    {"/", 0xBF},      {"`", 0xC0},      {"[", 0xDB},
      {"\\", 0xDC},       {"]", 0xDD},    {"'", 0xDE},      {"Num0", 0x60},   {"Num1", 0x61},
      {"Num2", 0x62},     {"Num3", 0x63}, {"Num4", 0x64},   {"Num5", 0x65},   {"Num6", 0x66},
      {"Num7", 0x67},     {"Num8", 0x68}, {"Num9", 0x69},   {"Num+", 0x6B},   {"Num-", 0x6D},
      {"Num*", 0x6A},     {"Num/", 0x6F}, {"NumDel", 0x6E},
  };
}

TEST(HotKeyTable, HoldsExactlyTheListedKeys) {
  const std::map<std::string, std::uint32_t> expected = ExpectedKeys();
  ASSERT_EQ(expected.size(), 88u) << "the expected list itself";
  const CHotKeyTable table;
  EXPECT_EQ(table.Entries(), expected);
  for (const auto& [name, code] : expected) {
    EXPECT_EQ(table.Find(name), code) << name;
  }
  for (const char* unknown : {"", "a", "f1", "F13", "F0", "Win", "Esc", "Num10", "num1", " A"}) {
    EXPECT_EQ(table.Find(unknown), 0u) << '"' << unknown << '"';
  }
}

TEST(ParseHotKey, ReadsModifiersAndKey) {
  struct Case {
    const char* text;
    std::uint32_t modifiers;
    std::uint32_t key;
  };
  const Case cases[] = {
      {"Ctrl+Shift+A", 0x0006, 0x41},
      {"Shift+Ctrl+A", 0x0006, 0x41},
      {"Alt+Ctrl+Shift+Delete", 0x0007, 0x2E},
      {"F10", 0, 0x79},
      {"F11", 0, 0x7A},
      {"0", 0, 0x30},  // the fallback of a missing hotkey setting
      {"ctrl+a", 0, 0},
      {"CTRL+A", 0, 0x41},
      {"Alt+Alt+X", 0x0001, 0x58},
      {"Ctrl+", 0x0002, 0},
      {"Ctrl++", 0x0002, 0},
      {"+", 0, 0},
      {"++A", 0, 0x41},
      {"A+Ctrl", 0, 0x11},
      {"Ctrl+Alt", 0x0002, 0x12},
      {"Win+A", 0, 0x41},
      {"", 0, 0},
      {"F13", 0, 0},
      {"Ctrl+F13", 0x0002, 0},
      {"Ctrl + A", 0, 0},
      {"Shift+Num*", 0x0004, 0x6A},
      {"Alt+NumDel", 0x0001, 0x6E},
      {"Ctrl+\\", 0x0002, 0xDC},
      {"Ctrl+Num+", 0x0002, 0},  // "Num" then an empty key
  };
  const CHotKeyTable table;
  for (const Case& c : cases) {
    std::uint32_t modifiers = 0xFFFF;
    std::uint32_t key = 0xFFFF;
    ParseHotKey(table, c.text, modifiers, key);
    EXPECT_EQ(modifiers, c.modifiers) << '"' << c.text << '"';
    EXPECT_EQ(key, c.key) << '"' << c.text << '"';
  }
}

}  // namespace
