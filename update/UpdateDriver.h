#pragma once
// The update driver: one complete self-update attempt.

#include <cstdint>

#include "update/UpdateModule.h"

namespace kv::update {

// A run log larger than this is deleted at the start of an attempt.
inline constexpr std::uintmax_t kRunLogLimit = 10 * 1024 * 1024;

// Trims the run log, asks the update server for a newer launcher and, when it
// names one, downloads it and hands over: then the process ends in here.
// Returns when there is no update or the attempt failed.
void RunUpdateCheck();

// The same with another launcher in place of CUpdateModule::StartUpdater.
void RunUpdateCheck(const CUpdateModule::Launcher& launcher);

}  // namespace kv::update
