#pragma once
// The nine buttons of the main window's title strip: images, size, place
// (measured from the right edge of the client area) and tooltip.

#include <array>
#include <string_view>

#include "mainwnd/MainWindowIds.h"
#include "platform/Geometry.h"

namespace kv::mainwnd {

struct TitleButtonInfo {
  int id = 0;
  int normalImage = 0;
  int hoverImage = 0;
  int pressedImage = 0;
  int width = 0;
  int height = 0;
  int fromRight = 0;      // x = client width - fromRight
  std::string_view hint;  // empty: no tooltip
};

inline constexpr std::array<TitleButtonInfo, 9> kTitleButtons = {{
    {IDC_BTN_CLOSE, 207, 208, 227, 28, 26, 28, ""},
    {IDC_BTN_MAXIMIZE, 220, 213, 228, 28, 26, 57, ""},
    {IDC_BTN_RESTORE, 221, 217, 229, 28, 26, 57, ""},
    {IDC_BTN_MINIMIZE, 209, 210, 230, 28, 26, 86, ""},
    {IDC_BTN_FULLSCREEN, 224, 214, 234, 85, 24, 192, "全屏/取消全屏（快捷键F11）"},
    {IDC_BTN_BOSSKEY, 223, 215, 233, 97, 24, 294, "老板键（快捷键F10）"},
    {IDC_BTN_CLEARCACHE, 252, 253, 261, 85, 24, 384, "清除缓存"},
    {IDC_BTN_REFRESH, 226, 219, 236, 78, 24, 467, "刷新"},
    {IDC_BTN_SERVER, 211, 212, 231, 59, 24, 531, "选择新的服务器"},
}};

// Where `button` sits in a client area `clientWidth` pixels wide.
inline platform::Rect TitleButtonRect(const TitleButtonInfo& button, int clientWidth) {
  return {clientWidth - button.fromRight, kTitleButtonTop, button.width, button.height};
}

}  // namespace kv::mainwnd
