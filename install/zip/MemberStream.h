#pragma once
// Reads one member's data: deciphers it when it is encrypted, inflates it when
// it is deflated and keeps its CRC-32, through a fixed-size input buffer.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "install/zip/ByteSource.h"
#include "install/zip/PkwareCipher.h"
#include "install/zip/ZipDirectory.h"

namespace kv::zip {

inline constexpr std::size_t kStreamBufferSize = 16384;

// Result of Produce when the encryption check byte does not match.
inline constexpr int kPasswordMismatch = -106;

class MemberStream {
 public:
  MemberStream() = default;
  ~MemberStream();
  MemberStream(const MemberStream&) = delete;
  MemberStream& operator=(const MemberStream&) = delete;

  // False when the local header does not match the central record or the
  // inflate stream cannot be set up.
  bool Open(const ByteSource& source, const ArchiveDirectory& directory,
            const CentralRecord& record);

  // Produces up to `capacity` bytes into `out`: the count, or a negative
  // result (kPasswordMismatch, a zlib error, Z_ERRNO when the data lies
  // outside the block). `ended` tells that these were the member's last bytes.
  int Produce(unsigned char* out, std::size_t capacity, bool& ended);

  std::uint32_t crc() const { return crc_; }
  std::uint64_t produced() const { return produced_; }

 private:
  bool Refill();

  const ByteSource* source_ = nullptr;
  std::uint16_t method_ = kMethodStored;
  std::unique_ptr<unsigned char[]> input_;
  const unsigned char* next_ = nullptr;  // unread input within input_
  std::size_t available_ = 0;
  std::uint64_t dataPosition_ = 0;
  std::uint64_t compressedLeft_ = 0;
  std::uint64_t uncompressedLeft_ = 0;
  std::uint64_t produced_ = 0;
  std::uint32_t crc_ = 0;
  z_stream inflate_{};
  bool inflating_ = false;
  bool streamEnded_ = false;
  std::optional<PkwareCipher> cipher_;
  int headerLeft_ = 0;
  unsigned char checkByte_ = 0;
};

}  // namespace kv::zip
