#include "platform/linux/gtk/KeyCodes.h"

#include <X11/keysym.h>

#include <iterator>

#include "platform/Keys.h"

namespace kv::platform {

namespace {

struct KeyPair {
  int key;
  unsigned int keysym;
};

// Keys that are not letters, digits or function keys. The first entry for a
// portable code is the one used for grabbing it.
constexpr KeyPair kKeys[] = {
    {kKeyBack, XK_BackSpace},
    {kKeyTab, XK_Tab},
    {kKeyTab, XK_ISO_Left_Tab},
    {kKeyReturn, XK_Return},
    {kKeyReturn, XK_KP_Enter},
    {kKeyShift, XK_Shift_L},
    {kKeyShift, XK_Shift_R},
    {kKeyControl, XK_Control_L},
    {kKeyControl, XK_Control_R},
    {kKeyMenu, XK_Alt_L},
    {kKeyMenu, XK_Alt_R},
    {kKeyPause, XK_Pause},
    {kKeyCapital, XK_Caps_Lock},
    {kKeyEscape, XK_Escape},
    {kKeySpace, XK_space},
    {kKeyPrior, XK_Prior},
    {kKeyNext, XK_Next},
    {kKeyEnd, XK_End},
    {kKeyHome, XK_Home},
    {kKeyLeft, XK_Left},
    {kKeyUp, XK_Up},
    {kKeyRight, XK_Right},
    {kKeyDown, XK_Down},
    {kKeySnapshot, XK_Print},
    {kKeyInsert, XK_Insert},
    {kKeyDelete, XK_Delete},
    {kKeyMultiply, XK_KP_Multiply},
    {kKeyAdd, XK_KP_Add},
    {kKeySubtract, XK_KP_Subtract},
    {kKeyDecimal, XK_KP_Decimal},
    {kKeyDivide, XK_KP_Divide},
    {kKeyNumLock, XK_Num_Lock},
    {kKeyScroll, XK_Scroll_Lock},
    {kKeyOem1, XK_semicolon},
    {kKeyOemPlus, XK_equal},
    {kKeyOemComma, XK_comma},
    {kKeyOemMinus, XK_minus},
    {kKeyOemPeriod, XK_period},
    {kKeyOem2, XK_slash},
    {kKeyOem3, XK_grave},
    {kKeyOem4, XK_bracketleft},
    {kKeyOem5, XK_backslash},
    {kKeyOem6, XK_bracketright},
    {kKeyOem7, XK_apostrophe},
};

}  // namespace

int PortableKeyFromKeysym(unsigned int keysym) {
  if (keysym >= XK_a && keysym <= XK_z) {
    return 'A' + static_cast<int>(keysym - XK_a);
  }
  if (keysym >= XK_A && keysym <= XK_Z) {
    return 'A' + static_cast<int>(keysym - XK_A);
  }
  if (keysym >= XK_0 && keysym <= XK_9) {
    return '0' + static_cast<int>(keysym - XK_0);
  }
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
    return kKeyNumpad0 + static_cast<int>(keysym - XK_KP_0);
  }
  if (keysym >= XK_F1 && keysym <= XK_F24) {
    return kKeyF1 + static_cast<int>(keysym - XK_F1);
  }
  for (const KeyPair& pair : kKeys) {
    if (pair.keysym == keysym) {
      return pair.key;
    }
  }
  return 0;
}

unsigned int KeysymFromPortableKey(int key) {
  if (key >= 'A' && key <= 'Z') {
    return XK_a + static_cast<unsigned int>(key - 'A');
  }
  if (key >= '0' && key <= '9') {
    return XK_0 + static_cast<unsigned int>(key - '0');
  }
  if (key >= kKeyNumpad0 && key <= kKeyNumpad0 + 9) {
    return XK_KP_0 + static_cast<unsigned int>(key - kKeyNumpad0);
  }
  if (key >= kKeyF1 && key <= kKeyF1 + 23) {
    return XK_F1 + static_cast<unsigned int>(key - kKeyF1);
  }
  for (const KeyPair& pair : kKeys) {
    if (pair.key == key) {
      return pair.keysym;
    }
  }
  return 0;
}

}  // namespace kv::platform
