#include "app/CommandLine.h"

#include <limits>

namespace kv::app {

namespace {

constexpr std::string_view kFrameMarker = "-frameWnd=";
constexpr std::string_view kUrlMarker = "-gameurl=";

// Bytes taken by the UTF-8 character at `at`; a malformed one counts as one byte.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t expected = 1;
  if ((lead & 0xE0) == 0xC0) {
    expected = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    expected = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    expected = 4;
  }
  std::size_t length = 1;
  while (length < expected && at + length < text.size() &&
         (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

// The text after the prefix and the one separator character that follows it.
std::string PathAfterSeparator(std::string_view commandLine) {
  constexpr std::size_t kPrefix = 2;
  if (commandLine.size() <= kPrefix) {
    return {};
  }
  const std::size_t start = kPrefix + CharacterLength(commandLine, kPrefix);
  return std::string(commandLine.substr(start));
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void ReadGameWindowArguments(std::string_view commandLine, LaunchRequest& request) {
  std::size_t urlSearchFrom = 0;
  const std::size_t marker = commandLine.find(kFrameMarker);
  if (marker != std::string_view::npos) {
    const std::size_t numberStart = marker + kFrameMarker.size();
    const std::size_t blank = commandLine.find(' ', numberStart);
    if (blank != std::string_view::npos) {
      request.frameHandle =
          ParseLeadingInteger(commandLine.substr(numberStart, blank - numberStart));
      urlSearchFrom = blank;
    }
  }
  const std::size_t url = commandLine.find(kUrlMarker, urlSearchFrom);
  if (url != std::string_view::npos) {
    request.gameUrl = std::string(commandLine.substr(url + kUrlMarker.size()));
  }
}

}  // namespace

std::int64_t ParseLeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate towards the sign so that the most negative value fits too.
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (negative) {
      if (value < (kMin + digit) / 10) {
        return kMin;
      }
      value = value * 10 - digit;
    } else {
      if (value > (kMax - digit) / 10) {
        return kMax;
      }
      value = value * 10 + digit;
    }
  }
  return value;
}

LaunchRequest SelectLaunchMode(std::string_view commandLine) {
  LaunchRequest request;
  if (commandLine.starts_with("-d") && commandLine.size() != 2) {
    request.mode = LaunchMode::kUpdateHandOver;
    request.path = PathAfterSeparator(commandLine);
    return request;
  }
  if (commandLine.ends_with("-u")) {
    request.mode = LaunchMode::kUninstallConfirm;
    return request;
  }
  if (commandLine.starts_with("-u")) {
    request.mode = LaunchMode::kUninstallRemoval;
    request.path = PathAfterSeparator(commandLine);
    return request;
  }
  ReadGameWindowArguments(commandLine, request);
  request.mode = request.frameHandle != 0 ? LaunchMode::kGameWindow : LaunchMode::kOrdinary;
  return request;
}

}  // namespace kv::app
