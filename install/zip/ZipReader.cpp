#include "install/zip/ZipReader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "install/zip/EntryDetails.h"
#include "install/zip/MemberStream.h"
#include "install/zip/OutputFile.h"
#include "install/zip/SafeName.h"
#include "platform/FileTimes.h"

namespace kv::zip {

namespace {

namespace fs = std::filesystem;

std::string CurrentFolder() {
  std::error_code error;
  const fs::path current = fs::current_path(error);
  return error ? std::string(".") : current.string();
}

// A FILETIME value as a time point; 0 means the time is unknown.
std::optional<platform::FileTimePoint> ToTimePoint(std::uint64_t fileTime) {
  constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL;
  if (fileTime == 0) {
    return std::nullopt;
  }
  const std::int64_t units = static_cast<std::int64_t>(fileTime) - kFileTimeOf1970;
  return platform::FileTimePoint(std::chrono::nanoseconds(units * 100));
}

// True when a file may not be replaced: a read-only file, or something that
// is not a file at all. A symbolic link is replaced itself, never followed.
bool IsProtected(const fs::path& destination) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(destination, error);
  if (!fs::exists(status) || fs::is_symlink(status)) {
    return false;
  }
  if (!fs::is_regular_file(status)) {
    return true;
  }
  // Checked here rather than left to the open, which would succeed for root.
  return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

}  // namespace

std::unique_ptr<ZipReader> ZipReader::Open(const void* block, std::size_t length) {
  const ByteSource source(block, length);
  const std::optional<ArchiveDirectory> directory = FindArchiveDirectory(source);
  if (!directory) {
    return nullptr;
  }
  return std::unique_ptr<ZipReader>(new ZipReader(source, *directory));
}

ZipReader::ZipReader(const ByteSource& source, const ArchiveDirectory& directory)
    : source_(source), directory_(directory), cursor_(source_, directory_) {
  SetTargetFolder(CurrentFolder());
  cursor_.MoveTo(0);
}

void ZipReader::SetTargetFolder(const std::string& folder) {
  targetFolder_ = folder.empty() ? CurrentFolder() : folder;
  std::replace(targetFolder_.begin(), targetFolder_.end(), '\\', '/');
  if (!targetFolder_.ends_with('/')) {
    targetFolder_ += '/';
  }
}

ZRESULT ZipReader::GetEntry(int index, UnzipEntry& entry) {
  if (index < -1 || index >= directory_.memberCount) {
    return UZR_ARGS;
  }
  if (index != -1 && index == cachedIndex_) {
    entry = cachedEntry_;
    return UZR_OK;
  }
  if (index == -1) {
    entry = UnzipEntry{};
    entry.index = directory_.memberCount;
    return UZR_OK;
  }
  return Describe(index, entry);
}

ZRESULT ZipReader::Describe(int index, UnzipEntry& entry) {
  if (!cursor_.MoveTo(index)) {
    return UZR_CORRUPT;
  }
  const CentralRecord& record = cursor_.record();
  const std::optional<LocalLayout> layout = CheckLocalHeader(source_, directory_, record);
  if (!layout) {
    return UZR_CORRUPT;
  }
  const unsigned char* extra = source_.At(layout->extraPosition, layout->extraLength);
  if (extra == nullptr) {
    return UZR_READ;
  }
  UnzipEntry described;
  described.index = index;
  described.name = MakeSafeName(record.name);
  described.attributes = AttributesFromExternal(record.versionMadeBy, record.externalAttributes);
  described.compressedSize = record.compressedSize;
  described.size = record.size;
  const std::uint64_t dosTime = FileTimeFromDos(record.dosDateTime);
  described.accessTime = dosTime;
  described.creationTime = dosTime;
  described.writeTime = dosTime;
  ApplyExtendedTimestamp(extra, layout->extraLength, described);
  cachedIndex_ = index;
  cachedEntry_ = described;
  entry = std::move(described);
  return UZR_OK;
}

ZRESULT ZipReader::ExtractFile(int index, const std::string& fileName) {
  if (!IsMemberIndex(index)) {
    return UZR_ARGS;
  }
  UnzipEntry entry;
  if (GetEntry(index, entry) != UZR_OK || !cursor_.MoveTo(index)) {
    // Nothing is created for a member that cannot be read, so no file that
    // was there before is lost.
    return UZR_INFLATE;
  }
  // The caller's name gets the same treatment as member names: whatever it
  // is, the result lands below the target folder.
  const std::string name = MakeSafeName(fileName);
  if ((entry.attributes & kAttrDirectory) != 0) {
    return ExtractFolder(name);
  }
  return ExtractMember(entry, name);
}

ZRESULT ZipReader::ExtractFolder(const std::string& name) {
  const fs::path folder = targetFolder_ + name;
  std::error_code error;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error) ? UZR_OK : UZR_NOFILE;
}

ZRESULT ZipReader::ExtractMember(const UnzipEntry& entry, const std::string& name) {
  const CentralRecord record = cursor_.record();
  const std::size_t split = name.find_last_of('/');
  const std::string folderPart = split == std::string::npos ? "" : name.substr(0, split + 1);
  std::error_code error;
  fs::create_directories(targetFolder_ + folderPart, error);
  const fs::path destination = targetFolder_ + name;
  if (IsProtected(destination)) {
    return UZR_NOFILE;
  }

  MemberStream stream;
  if (!stream.Open(source_, directory_, record)) {
    return UZR_INFLATE;
  }
  OutputFile output;
  if (!output.Create(destination)) {
    return UZR_NOFILE;
  }
  if (!outputBuffer_) {
    outputBuffer_ = std::make_unique<unsigned char[]>(kStreamBufferSize);
  }
  for (;;) {
    bool ended = false;
    const int produced = stream.Produce(outputBuffer_.get(), kStreamBufferSize, ended);
    if (produced == kPasswordMismatch) {
      return UZR_PASSWORD;
    }
    if (produced < 0) {
      return UZR_INFLATE;
    }
    if (produced > 0 && !output.Write(outputBuffer_.get(), static_cast<std::size_t>(produced))) {
      return UZR_WRITE;
    }
    if (ended) {
      break;
    }
    if (produced == 0) {
      return UZR_INFLATE;  // the member's data ended early
    }
  }
  if (!output.Close()) {
    return UZR_WRITE;
  }
  // Data that does not match its recorded size and CRC-32 is damaged: it is
  // reported, and the damaged copy is not put in place.
  if (stream.produced() != record.size || stream.crc() != record.crc32) {
    return UZR_INFLATE;
  }
  // Linux has no settable creation time, so entry.creationTime is not used.
  platform::SetFileTimes(output.temporaryPath(), ToTimePoint(entry.accessTime),
                         ToTimePoint(entry.writeTime));
  if ((entry.attributes & kAttrReadOnly) != 0) {
    fs::permissions(output.temporaryPath(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, error);
  }
  return output.Commit() ? UZR_OK : UZR_NOFILE;
}

}  // namespace kv::zip
