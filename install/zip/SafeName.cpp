#include "install/zip/SafeName.h"

#include <algorithm>

#include "app/Text.h"

namespace kv::zip {

namespace {

// Byte length of the UTF-8 character starting with `lead` (the text is valid).
std::size_t CharacterLength(unsigned char lead) {
  if (lead < 0x80) {
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    return 2;
  }
  return (lead & 0xF0) == 0xE0 ? 3 : 4;
}

// Applies the first rule that matches; false when none does.
bool DropOneUnsafePart(std::string& name) {
  if (name.empty()) {
    return false;
  }
  const std::size_t first = CharacterLength(static_cast<unsigned char>(name[0]));
  if (name.size() > first && name[first] == ':') {
    name.erase(0, first + 1);
    return true;
  }
  if (name[0] == '/') {
    name.erase(0, 1);
    return true;
  }
  if (name.starts_with("../")) {
    name.erase(0, 3);
    return true;
  }
  if (const std::size_t step = name.find("/../"); step != std::string::npos) {
    name.erase(0, step + 4);
    return true;
  }
  // A bare ".." would name the target folder's parent.
  if (name == "..") {
    name.clear();
    return true;
  }
  return false;
}

}  // namespace

std::string MakeSafeName(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  std::string safe = app::Utf16ToUtf8(app::Utf8ToUtf16(name));
  std::replace(safe.begin(), safe.end(), '\\', '/');
  while (DropOneUnsafePart(safe)) {
  }
  return safe;
}

}  // namespace kv::zip
