#pragma once
// A per-process sandbox for tests of the self-update: a temporary data home
// (so the run log, the cache folder and the program folder never touch the
// real ones) and helpers to reset it and read the run log back.

#include <filesystem>
#include <string>
#include <vector>

namespace kv::test {

// The sandboxed data home. Before the first test of the process runs (and at
// the latest on the first call), the process is made to use a temporary one
// (HOME and XDG_* point into it) unless XDG_DATA_HOME already lies in the
// temporary folder; a home made here is removed when the process ends.
std::filesystem::path UpdateSandboxDataHome();

// Empties the program folder (keeping its res/ sub-folder, which holds the
// run log) and the cache folder. Fails the test when the program folder was
// computed for another data home before the sandbox was made.
void ResetUpdateSandbox();

// The messages of the run log's lines, in order, without date, time and tag;
// `skipBytes` leaves out the start of the file.
std::vector<std::string> ReadRunLogMessages(std::size_t skipBytes = 0);

// Stands for "any failure text" in an expected list of log messages: a
// non-empty line of at most 254 characters.
inline const std::string kAnyFailureText = "<failure text>";

// Stands for a failure text that matches the regular expression `pattern`
// (ECMAScript, the whole line) in an expected list of log messages; the line
// must also have at most 254 characters.
std::string FailureTextMatching(const std::string& pattern);

// Compares run log messages with the expected ones; `label` names the case.
void ExpectRunLog(const std::vector<std::string>& expected, const std::string& label,
                  std::size_t skipBytes = 0);

}  // namespace kv::test
