#pragma once
// An extracted file is written under a temporary name next to its final place
// and moved there only when it is complete, so a failed extraction never
// replaces (or truncates) a file that was there before.

#include <cstddef>
#include <cstdio>
#include <filesystem>

namespace kv::zip {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // removes the temporary file unless it was committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates an empty temporary file in the folder of `destination`.
  bool Create(const std::filesystem::path& destination);
  bool Write(const unsigned char* bytes, std::size_t count);
  // Flushes and closes the temporary file; false when writing failed.
  bool Close();
  const std::filesystem::path& temporaryPath() const { return temporary_; }
  // Moves the closed temporary file to the destination, replacing what is there.
  bool Commit();

 private:
  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace kv::zip
