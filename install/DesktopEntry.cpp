#include "install/DesktopEntry.h"

namespace kv::install {

std::string EscapeDesktopString(std::string_view value) {
  // Blanks at either end would be dropped by readers, which trim values.
  std::size_t lead = 0;
  while (lead < value.size() && value[lead] == ' ') {
    ++lead;
  }
  std::size_t trail = 0;
  while (trail < value.size() - lead && value[value.size() - 1 - trail] == ' ') {
    ++trail;
  }
  std::string text;
  text.reserve(value.size() + 8);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ' ' && (i < lead || i >= value.size() - trail)) {
      text += "\\s";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c == '\r') {
      text += "\\r";
    } else {
      text += c;
    }
  }
  return text;
}

std::string QuoteExecArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') {
      quoted += '\\';
    }
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string DesktopExecValue(std::string_view program, std::string_view arguments) {
  std::string line = QuoteExecArgument(program);
  if (!arguments.empty()) {
    line += ' ';
    line += arguments;
  }
  // A lone '%' would start a field code. Launchers expand "%%" to '%' before
  // they split the line, inside quotes too.
  std::string exec;
  exec.reserve(line.size());
  for (const char c : line) {
    exec += c;
    if (c == '%') {
      exec += '%';
    }
  }
  return EscapeDesktopString(exec);
}

std::string ComposeDesktopEntry(const DesktopShortcut& shortcut) {
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + EscapeDesktopString(shortcut.name) + "\n";
  text += "Exec=" + DesktopExecValue(shortcut.program, shortcut.arguments) + "\n";
  if (!shortcut.iconPath.empty()) {
    text += "Icon=" + EscapeDesktopString(shortcut.iconPath) + "\n";
  }
  text += "Terminal=false\n";
  return text;
}

}  // namespace kv::install
