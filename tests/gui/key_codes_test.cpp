// The X11 backend's key mapping covers every key a hotkey text can name: each
// code of the hotkey table has a key symbol of its own that maps back to it.

#include <gtest/gtest.h>

#include <map>

#include "hotkey/HotKey.h"
#include "platform/Keys.h"
#include "platform/linux/gtk/KeyCodes.h"

namespace {

using kv::platform::KeysymFromPortableKey;
using kv::platform::PortableKeyFromKeysym;

TEST(KeyCodes, EveryHotkeyTableKeyHasAKeysymOfItsOwn) {
  const kv::hotkey::CHotKeyTable table;
  ASSERT_EQ(table.Entries().size(), 88u);
  std::map<unsigned int, std::string> namesByKeysym;
  for (const auto& [name, code] : table.Entries()) {
    SCOPED_TRACE(name);
    const unsigned int keysym = KeysymFromPortableKey(static_cast<int>(code));
    ASSERT_NE(keysym, 0u) << "no key symbol for code " << code;
    EXPECT_EQ(PortableKeyFromKeysym(keysym), static_cast<int>(code));
    const auto [it, added] = namesByKeysym.emplace(keysym, name);
    EXPECT_TRUE(added) << "shares its key symbol with " << it->second;
  }
}

// Keys seen while typing come back as the table's codes whatever the letter
// case or the keypad's NumLock state; codes nothing types give no key symbol.
TEST(KeyCodes, TypedKeysAndUnknownCodes) {
  const kv::hotkey::CHotKeyTable table;
  struct Case {
    const char* name;
    unsigned int keysym;  // X key symbol numbers (X11/keysymdef.h)
    const char* tableName;
  };
  const Case cases[] = {
      {"lower-case b", 0x0062, "B"},   {"upper-case B", 0x0042, "B"},
      {"F11", 0xFFC8, "F11"},          {"digit 0", 0x0030, "0"},
      {"keypad 5", 0xFFB5, "Num5"},    {"keypad decimal", 0xFFAE, "NumDel"},
      {"keypad plus", 0xFFAB, "Num+"}, {"Page Up (Prior)", 0xFF55, "PageUp"},
      {"equal sign", 0x003D, "+"},     {"Alt on the left", 0xFFE9, "Alt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PortableKeyFromKeysym(c.keysym), static_cast<int>(table.Find(c.tableName)));
  }
  for (int code : {0, 0x07, 0x5B, 0xFF, -1}) {
    EXPECT_EQ(KeysymFromPortableKey(code), 0u) << code;
  }
}

}  // namespace
