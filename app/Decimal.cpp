#include "app/Decimal.h"

#include <limits>

namespace kv::app {

std::int32_t ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMax + 1) {
      value = kMax + 1;  // already out of range; keep the number small
    }
  }
  if (negative) {
    value = -value;
  }
  if (value > kMax) {
    return static_cast<std::int32_t>(kMax);
  }
  if (value < kMin) {
    return static_cast<std::int32_t>(kMin);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace kv::app
