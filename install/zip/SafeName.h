#pragma once
// Member names as they may be used below a target folder.

#include <string>
#include <string_view>

namespace kv::zip {

// Turns a member name into a relative path that cannot lead out of the folder
// it is placed in: the name ends at a NUL byte, invalid UTF-8 becomes U+FFFD,
// both '\' and '/' separate folders and come out as '/', and leading drive
// prefixes ("C:"), leading separators and parent-folder steps are dropped:
// "C:\a\b.txt" becomes "a/b.txt" and "x/../../evil.ini" becomes "evil.ini".
std::string MakeSafeName(std::string_view name);

}  // namespace kv::zip
