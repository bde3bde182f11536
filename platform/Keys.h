#pragma once
// Portable key codes: the Windows virtual-key values, which are also the codes
// of the hotkey text table. Letters are 'A'..'Z', digits '0'..'9'.

namespace kv::platform {

inline constexpr int kKeyBack = 0x08;
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyShift = 0x10;
inline constexpr int kKeyControl = 0x11;
inline constexpr int kKeyMenu = 0x12;  // Alt
inline constexpr int kKeyPause = 0x13;
inline constexpr int kKeyCapital = 0x14;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyPrior = 0x21;
inline constexpr int kKeyNext = 0x22;
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;
inline constexpr int kKeySnapshot = 0x2C;
inline constexpr int kKeyInsert = 0x2D;
inline constexpr int kKeyDelete = 0x2E;
inline constexpr int kKeyNumpad0 = 0x60;  // ..0x69 numpad 9
inline constexpr int kKeyMultiply = 0x6A;
inline constexpr int kKeyAdd = 0x6B;
inline constexpr int kKeySubtract = 0x6D;
inline constexpr int kKeyDecimal = 0x6E;
inline constexpr int kKeyDivide = 0x6F;
inline constexpr int kKeyF1 = 0x70;  // ..0x87 F24
inline constexpr int kKeyF5 = 0x74;
inline constexpr int kKeyF10 = 0x79;
inline constexpr int kKeyF11 = 0x7A;
inline constexpr int kKeyNumLock = 0x90;
inline constexpr int kKeyScroll = 0x91;
inline constexpr int kKeyOem1 = 0xBA;       // ;:
inline constexpr int kKeyOemPlus = 0xBB;    // =+
inline constexpr int kKeyOemComma = 0xBC;   // ,<
inline constexpr int kKeyOemMinus = 0xBD;   // -_
inline constexpr int kKeyOemPeriod = 0xBE;  // .>
inline constexpr int kKeyOem2 = 0xBF;       // /?
inline constexpr int kKeyOem3 = 0xC0;       // `~
inline constexpr int kKeyOem4 = 0xDB;       // [{
inline constexpr int kKeyOem5 = 0xDC;       // backslash |
inline constexpr int kKeyOem6 = 0xDD;       // ]}
inline constexpr int kKeyOem7 = 0xDE;       // '"

// Modifier flags, as the hotkey text parser produces them (OR-combined).
inline constexpr int kModAlt = 1;
inline constexpr int kModCtrl = 2;
inline constexpr int kModShift = 4;

}  // namespace kv::platform
