#pragma once
// The text of a freedesktop desktop entry (".desktop" file) that starts a
// program: the Linux counterpart of a shell link.

#include <string>
#include <string_view>

namespace kv::install {

// A value of type string as the Desktop Entry format stores it: backslash,
// newline, tab and carriage return escaped, and leading or trailing blanks
// written as "\s" so that readers do not strip them.
std::string EscapeDesktopString(std::string_view value);

// One Exec argument in double quotes, with '"', '`', '$' and '\' escaped by a
// backslash as the quoting rule of the Exec key demands.
std::string QuoteExecArgument(std::string_view argument);

// The Exec value that runs `program` with `arguments` (already in command-line
// form, such as "1" or "-u"): the program quoted, literal '%' written as "%%",
// and the whole escaped as a string value.
std::string DesktopExecValue(std::string_view program, std::string_view arguments);

struct DesktopShortcut {
  std::string name;       // the Name shown in menus and on the desktop
  std::string program;    // full path of the program to start
  std::string arguments;  // its command line, "" for none
  std::string iconPath;   // full path of an icon file, "" for none
};

// The complete file: a [Desktop Entry] group of Type=Application, Name, Exec,
// Icon (only when given) and Terminal=false, lines ended by '\n'.
std::string ComposeDesktopEntry(const DesktopShortcut& shortcut);

}  // namespace kv::install
