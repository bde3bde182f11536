#pragma once
// The local time, as the run log stamps its lines.

#include <ctime>

namespace kv::platform {

// Fills `local` with the current local time; false when it cannot be had.
bool LocalTimeNow(std::tm& local);

}  // namespace kv::platform
