#pragma once
// The one rule by which settings values and server replies are read as numbers.

#include <cstdint>
#include <string_view>

namespace kv::app {

// Leading white space skipped, an optional sign, then decimal digits up to the
// first other character. No digits gives 0; values beyond 32 bits are clamped.
std::int32_t ParseDecimal(std::string_view text);

}  // namespace kv::app
