#include "install/zip/MemberStream.h"

#include <algorithm>
#include <cstring>

namespace kv::zip {

namespace {

constexpr int kEncryptionHeaderSize = 12;

}  // namespace

MemberStream::~MemberStream() {
  if (inflating_) {
    inflateEnd(&inflate_);
  }
}

bool MemberStream::Open(const ByteSource& source, const ArchiveDirectory& directory,
                        const CentralRecord& record) {
  const std::optional<LocalLayout> layout = CheckLocalHeader(source, directory, record);
  if (!layout) {
    return false;
  }
  if (record.method == kMethodDeflated) {
    // Raw deflate data: no zlib header or trailer.
    if (inflateInit2(&inflate_, -MAX_WBITS) != Z_OK) {
      return false;
    }
    inflating_ = true;
  }
  source_ = &source;
  method_ = record.method;
  input_ = std::make_unique<unsigned char[]>(kStreamBufferSize);
  dataPosition_ = layout->dataPosition;
  compressedLeft_ = record.compressedSize;
  uncompressedLeft_ = record.size;
  if ((record.flags & kFlagEncrypted) != 0) {
    cipher_.emplace("");  // the launcher never has a password
    headerLeft_ = kEncryptionHeaderSize;
    // With a data descriptor the CRC is not known when the header is written,
    // so the high byte of the DOS time stands in for it.
    checkByte_ = (record.flags & kFlagDataDescriptor) != 0
                     ? static_cast<unsigned char>(record.dosDateTime >> 8)
                     : static_cast<unsigned char>(record.crc32 >> 24);
  }
  return true;
}

bool MemberStream::Refill() {
  const std::size_t count =
      static_cast<std::size_t>(std::min<std::uint64_t>(kStreamBufferSize, compressedLeft_));
  const unsigned char* bytes = source_->At(dataPosition_, count);
  if (bytes == nullptr) {
    return false;
  }
  if (cipher_) {
    for (std::size_t i = 0; i < count; ++i) {
      input_[i] = cipher_->Decrypt(bytes[i]);
    }
  } else {
    std::memcpy(input_.get(), bytes, count);
  }
  next_ = input_.get();
  available_ = count;
  dataPosition_ += count;
  compressedLeft_ -= count;
  return true;
}

int MemberStream::Produce(unsigned char* out, std::size_t capacity, bool& ended) {
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(capacity, uncompressedLeft_));
  std::size_t done = 0;
  // The encryption header is checked even when the member is empty.
  while ((done < wanted || headerLeft_ > 0) && !streamEnded_) {
    if (available_ == 0 && compressedLeft_ > 0 && !Refill()) {
      return Z_ERRNO;
    }
    if (headerLeft_ > 0) {
      if (available_ == 0) {
        break;
      }
      const std::size_t skipped = std::min<std::size_t>(available_, headerLeft_);
      const unsigned char last = next_[skipped - 1];
      next_ += skipped;
      available_ -= skipped;
      headerLeft_ -= static_cast<int>(skipped);
      if (headerLeft_ == 0 && last != checkByte_) {
        return kPasswordMismatch;
      }
      continue;
    }
    if (method_ == kMethodStored) {
      if (available_ == 0) {
        break;  // the data ran out before the member's size
      }
      const std::size_t count = std::min(available_, wanted - done);
      std::memcpy(out + done, next_, count);
      next_ += count;
      available_ -= count;
      done += count;
      continue;
    }
    inflate_.next_in = const_cast<Bytef*>(next_);
    inflate_.avail_in = static_cast<uInt>(available_);
    inflate_.next_out = out + done;
    inflate_.avail_out = static_cast<uInt>(wanted - done);
    const int result = inflate(&inflate_, Z_SYNC_FLUSH);
    const std::size_t made = (wanted - done) - inflate_.avail_out;
    next_ = inflate_.next_in;
    available_ = inflate_.avail_in;
    done += made;
    if (result == Z_STREAM_END) {
      streamEnded_ = true;
    } else if (result == Z_BUF_ERROR && done > 0) {
      break;  // no progress now; what was made goes out first
    } else if (result == Z_NEED_DICT) {
      return Z_DATA_ERROR;
    } else if (result < 0) {
      return result;
    } else if (made == 0 && available_ == 0 && compressedLeft_ == 0) {
      break;
    }
  }
  crc_ = static_cast<std::uint32_t>(::crc32(crc_, out, static_cast<uInt>(done)));
  produced_ += done;
  uncompressedLeft_ -= done;
  ended = streamEnded_ || uncompressedLeft_ == 0;
  return static_cast<int>(done);
}

}  // namespace kv::zip
