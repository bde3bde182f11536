#pragma once
// Writes ZIP archives byte by byte for tests: stored or deflated members,
// data descriptors, traditional encryption, extra fields, attributes with
// their host, a prefix and an archive comment, and fields that can be set to
// wrong values on purpose to make broken archives.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::test {

// Hosts in the high byte of "version made by".
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;
inline constexpr std::uint8_t kHostMacintosh = 7;
inline constexpr std::uint8_t kHostNtfs = 11;
inline constexpr std::uint8_t kHostVfat = 14;
inline constexpr std::uint8_t kHostOsX = 19;

// A DOS date and time as one value: the time in the low 16 bits, the date in
// the high 16 bits. Seconds are stored halved.
std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

// An extended-timestamp extra block ("UT") holding the times that are given,
// as seconds since 1970 UTC, with the matching flag bits.
std::string ExtendedTimestampBlock(std::optional<std::int32_t> modification,
                                   std::optional<std::int32_t> access = std::nullopt,
                                   std::optional<std::int32_t> creation = std::nullopt);

// An extra block with any tag and data.
std::string ExtraBlock(std::uint16_t tag, std::string_view data);

// `data` compressed as raw deflate data (no zlib header or trailer).
std::string RawDeflate(std::string_view data);

// `count` bytes that deflate to roughly half their size, the same for the same seed.
std::string SemiRandomText(std::size_t count, std::uint32_t seed = 1);

struct ZipMember {
  std::string name;
  std::string content;
  std::uint16_t method = 8;  // 0 stored, 8 deflated; other methods store `content` as is
  std::uint16_t flags = 0;   // further flag bits; bits 0 and 3 follow the two fields below
  // Flag bit 3: the local header has zero CRC and sizes, a data descriptor
  // follows the data.
  bool dataDescriptor = false;
  // Traditional PKWARE encryption with this password ("" is a valid password).
  std::optional<std::string> password;
  std::string encryptionHeader = "korvane-zip";  // the 11 bytes before the check byte
  std::optional<std::uint8_t> checkByte;         // default: what the format demands
  std::uint8_t host = kHostMsDos;
  std::uint8_t version = 20;
  std::uint32_t externalAttributes = 0x20;
  std::uint32_t dosDateTime = DosDateTime(2021, 6, 15, 10, 20, 30);
  std::string localExtra;
  std::string centralExtra;
  std::string comment;

  // Overrides for broken archives.
  std::optional<std::uint16_t> localMethod;
  std::optional<std::uint32_t> crc;       // both headers
  std::optional<std::uint32_t> size;      // both headers
  std::optional<std::string> storedData;  // member data written instead of the encoded content
  std::optional<std::uint16_t> localNameLength;  // local header field only
};

// Where the pieces of a built archive lie, as offsets into its bytes.
struct ZipImage {
  std::string bytes;
  std::vector<std::size_t> localHeaders;
  std::vector<std::size_t> memberData;
  std::vector<std::size_t> centralRecords;
  std::size_t endRecord = 0;
};

class ZipBuilder {
 public:
  // Bytes before the archive proper (a self-extractor's stub, for example).
  ZipBuilder& Prefix(std::string bytes);
  ZipBuilder& Add(ZipMember member);
  ZipBuilder& Comment(std::string comment);
  ZipImage Build() const;

 private:
  std::string prefix_;
  std::vector<ZipMember> members_;
  std::string comment_;
};

// Little-endian patching of built archives.
void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value);
void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value);

}  // namespace kv::test
