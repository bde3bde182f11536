#pragma once
// The state behind one open archive: the block, the directory cursor, the
// last description, the target folder and the output buffer.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "install/zip/ByteSource.h"
#include "install/zip/Unzip.h"
#include "install/zip/ZipDirectory.h"

namespace kv::zip {

class ZipReader {
 public:
  // Nothing when the block holds no readable archive.
  static std::unique_ptr<ZipReader> Open(const void* block, std::size_t length);

  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  void SetTargetFolder(const std::string& folder);
  const std::string& targetFolder() const { return targetFolder_; }
  ZRESULT GetEntry(int index, UnzipEntry& entry);
  ZRESULT ExtractFile(int index, const std::string& fileName);

 private:
  ZipReader(const ByteSource& source, const ArchiveDirectory& directory);

  bool IsMemberIndex(int index) const { return index >= 0 && index < directory_.memberCount; }
  ZRESULT Describe(int index, UnzipEntry& entry);
  ZRESULT ExtractFolder(const std::string& name);
  ZRESULT ExtractMember(const UnzipEntry& entry, const std::string& name);

  ByteSource source_;
  ArchiveDirectory directory_;
  DirectoryCursor cursor_;
  int cachedIndex_ = -1;
  UnzipEntry cachedEntry_;
  std::string targetFolder_;  // always ends with '/'
  std::unique_ptr<unsigned char[]> outputBuffer_;
};

}  // namespace kv::zip
