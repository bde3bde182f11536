#include "app/IniFile.h"

#include <cstddef>

namespace kv::app {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsWhiteSpace(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// One line of the text: [begin, contentEnd) is its content, [contentEnd, end)
// its line ending (empty for a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
};

enum class LineKind { kBlank, kSection, kKey, kOther };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;       // section or key name
  std::string_view value;      // key lines only
  std::size_t valueBegin = 0;  // offset in the text just after the key's '='
};

// Walks the text line by line.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {
    if (text_.starts_with(kByteOrderMark)) {
      next_ = kByteOrderMark.size();
    }
  }

  bool Next(Line& line) {
    if (next_ >= text_.size()) {
      return false;
    }
    line.begin = next_;
    const std::size_t feed = text_.find('\n', next_);
    if (feed == std::string_view::npos) {
      line.contentEnd = line.end = text_.size();
    } else {
      line.end = feed + 1;
      line.contentEnd = feed > line.begin && text_[feed - 1] == '\r' ? feed - 1 : feed;
    }
    next_ = line.end;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t next_ = 0;
};

ParsedLine Parse(std::string_view text, const Line& line) {
  ParsedLine parsed;
  const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
  const std::string_view trimmed = Trim(content);
  if (trimmed.empty()) {
    parsed.kind = LineKind::kBlank;
    return parsed;
  }
  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      parsed.kind = LineKind::kSection;
      parsed.name = Trim(trimmed.substr(1, close - 1));
    }
    return parsed;
  }
  if (trimmed.front() == ';') {
    return parsed;
  }
  const std::size_t equals = content.find('=');
  if (equals == std::string_view::npos) {
    return parsed;
  }
  std::string_view value = content.substr(equals + 1);
  value = value.substr(0, value.find('\0'));
  parsed.kind = LineKind::kKey;
  parsed.name = Trim(content.substr(0, equals));
  parsed.value = Trim(value);
  parsed.valueBegin = line.begin + equals + 1;
  return parsed;
}

// Where [section] key sits in the text.
struct Location {
  bool sectionFound = false;
  bool keyFound = false;
  Line keyLine;
  ParsedLine key;
  Line lastFilledLine;  // the last non-blank line of the section, its header included
};

Location Locate(std::string_view text, std::string_view section, std::string_view key) {
  Location where;
  LineReader reader(text);
  Line line;
  bool inSection = false;
  while (reader.Next(line)) {
    const ParsedLine parsed = Parse(text, line);
    if (parsed.kind == LineKind::kSection) {
      if (inSection) {
        break;  // only the first section of the name counts
      }
      inSection = EqualNoCase(parsed.name, section);
      if (inSection) {
        where.sectionFound = true;
        where.lastFilledLine = line;
      }
      continue;
    }
    if (!inSection) {
      continue;
    }
    if (parsed.kind != LineKind::kBlank) {
      where.lastFilledLine = line;
    }
    if (parsed.kind == LineKind::kKey && EqualNoCase(parsed.name, key)) {
      where.keyFound = true;
      where.keyLine = line;
      where.key = parsed;
      break;
    }
  }
  return where;
}

std::string_view LineEndingOf(std::string_view text) {
  const std::size_t feed = text.find('\n');
  if (feed == std::string_view::npos || (feed > 0 && text[feed - 1] == '\r')) {
    return "\r\n";
  }
  return "\n";
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsStorableName(std::string_view name) {
  return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name);
}

}  // namespace

std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key) {
  if (section.empty() || key.empty()) {
    return std::nullopt;
  }
  const Location where = Locate(text, section, key);
  if (!where.keyFound) {
    return std::nullopt;
  }
  return where.key.value;
}

std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value) {
  if (!IsStorableName(section) || section.find(']') != std::string_view::npos ||
      !IsStorableName(key) || key.find('=') != std::string_view::npos || key.front() == '[' ||
      key.front() == ';' || HasLineBreakOrNul(value)) {
    return std::nullopt;
  }
  const Location where = Locate(text, section, key);
  const std::string_view ending = LineEndingOf(text);
  std::string result;
  result.reserve(text.size() + section.size() + key.size() + value.size() + 8);

  if (where.keyFound) {
    result.append(text.substr(0, where.key.valueBegin));
    result.append(value);
    result.append(text.substr(where.keyLine.contentEnd));
    return result;
  }

  std::string keyLine;
  keyLine.append(key).append("=").append(value).append(ending);
  if (where.sectionFound) {
    const Line& after = where.lastFilledLine;
    result.append(text.substr(0, after.end));
    if (after.contentEnd == after.end) {
      result.append(ending);  // the section ended the text without a line ending
    }
    result.append(keyLine);
    result.append(text.substr(after.end));
    return result;
  }

  result.append(text);
  if (!text.empty() && !text.ends_with('\n')) {
    result.append(ending);
  }
  result.append("[").append(section).append("]").append(ending);
  result.append(keyLine);
  return result;
}

}  // namespace kv::app
