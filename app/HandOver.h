#pragma once
// Update hand-over: the process started from a freshly downloaded copy of the
// program puts itself in place of the installed executable and starts it.

#include <string>

namespace kv::app {

// Replaces the executable at `targetPath` with the running one, logs the new
// file's MD5 and version, starts it without arguments and ends this process
// with code 0. Returns only when the replacement failed (which is logged); the
// caller then goes on as an ordinary start.
void RunUpdateHandOver(const std::string& targetPath);

}  // namespace kv::app
