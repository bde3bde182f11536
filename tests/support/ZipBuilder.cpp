#include "tests/support/ZipBuilder.h"

#include <zlib.h>

#include <stdexcept>

namespace kv::test {

namespace {

void AppendLe16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void AppendLe32(std::string& out, std::uint32_t value) {
  AppendLe16(out, value & 0xFFFF);
  AppendLe16(out, value >> 16);
}

std::uint32_t Crc32Of(std::string_view data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// CRC-32 of one byte, computed bit by bit so that the test side does not
// share a table with the reader.
std::uint32_t CrcStep(std::uint32_t crc, unsigned char byte) {
  crc ^= byte;
  for (int bit = 0; bit < 8; ++bit) {
    crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return crc;
}

// The traditional PKWARE cipher, encrypting side.
class Encrypter {
 public:
  explicit Encrypter(std::string_view password) {
    for (const char c : password) {
      Update(static_cast<unsigned char>(c));
    }
  }
  std::string Encrypt(std::string_view plain) {
    std::string out;
    out.reserve(plain.size());
    for (const char c : plain) {
      const std::uint32_t temp = (key2_ & 0xFFFF) | 2;
      const auto keyByte = static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
      out += static_cast<char>(static_cast<unsigned char>(c) ^ keyByte);
      Update(static_cast<unsigned char>(c));
    }
    return out;
  }

 private:
  void Update(unsigned char plain) {
    key0_ = CrcStep(key0_, plain);
    key1_ = (key1_ + (key0_ & 0xFF)) * 134775813u + 1;
    key2_ = CrcStep(key2_, static_cast<unsigned char>(key1_ >> 24));
  }
  std::uint32_t key0_ = 0x12345678;
  std::uint32_t key1_ = 0x23456789;
  std::uint32_t key2_ = 0x34567890;
};

}  // namespace

std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
  const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

std::string ExtraBlock(std::uint16_t tag, std::string_view data) {
  std::string block;
  AppendLe16(block, tag);
  AppendLe16(block, static_cast<std::uint32_t>(data.size()));
  block += data;
  return block;
}

std::string ExtendedTimestampBlock(std::optional<std::int32_t> modification,
                                   std::optional<std::int32_t> access,
                                   std::optional<std::int32_t> creation) {
  std::string data(1, '\0');
  const std::optional<std::int32_t> times[] = {modification, access, creation};
  for (int i = 0; i < 3; ++i) {
    if (times[i]) {
      data[0] = static_cast<char>(data[0] | (1 << i));
      AppendLe32(data, static_cast<std::uint32_t>(*times[i]));
    }
  }
  return ExtraBlock(0x5455, data);
}

std::string RawDeflate(std::string_view data) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) {
    throw std::runtime_error("deflate did not finish");
  }
  return out;
}

std::string SemiRandomText(std::size_t count, std::uint32_t seed) {
  static constexpr std::string_view kWords[] = {"korvane ", "launcher ", "zip ",     "member ",
                                                "inflate ", "window ",   "setting ", "\n"};
  std::string text;
  text.reserve(count);
  std::uint32_t state = seed;
  while (text.size() < count) {
    state = state * 1664525u + 1013904223u;
    if ((state >> 28) < 6) {
      text += kWords[(state >> 16) & 7];
    } else {
      text += static_cast<char>('A' + ((state >> 8) % 58));
    }
  }
  text.resize(count);
  return text;
}

ZipBuilder& ZipBuilder::Prefix(std::string bytes) {
  prefix_ = std::move(bytes);
  return *this;
}

ZipBuilder& ZipBuilder::Add(ZipMember member) {
  members_.push_back(std::move(member));
  return *this;
}

ZipBuilder& ZipBuilder::Comment(std::string comment) {
  comment_ = std::move(comment);
  return *this;
}

ZipImage ZipBuilder::Build() const {
  ZipImage image;
  std::string& out = image.bytes;
  out = prefix_;
  const std::size_t archiveStart = out.size();
  std::string central;
  for (const ZipMember& member : members_) {
    const std::uint32_t crc = member.crc.value_or(Crc32Of(member.content));
    const std::uint32_t size =
        member.size.value_or(static_cast<std::uint32_t>(member.content.size()));
    std::string data = member.storedData.value_or(member.method == 8 ? RawDeflate(member.content)
                                                                     : member.content);
    std::uint16_t flags = member.flags;
    if (member.dataDescriptor) {
      flags |= 0x0008;
    }
    if (member.password) {
      flags |= 0x0001;
      const auto check = member.checkByte.value_or(static_cast<std::uint8_t>(
          member.dataDescriptor ? (member.dosDateTime >> 8) & 0xFF : crc >> 24));
      std::string header = member.encryptionHeader.substr(0, 11);
      header.resize(11, '\0');
      header += static_cast<char>(check);
      data = Encrypter(*member.password).Encrypt(header + data);
    }
    const auto compressedSize = static_cast<std::uint32_t>(data.size());
    const auto versionMadeBy = static_cast<std::uint32_t>((member.host << 8) | member.version);
    const auto localOffset = static_cast<std::uint32_t>(out.size() - archiveStart);

    image.localHeaders.push_back(out.size());
    AppendLe32(out, 0x04034B50);
    AppendLe16(out, member.version);
    AppendLe16(out, flags);
    AppendLe16(out, member.localMethod.value_or(member.method));
    AppendLe32(out, member.dosDateTime);
    AppendLe32(out, member.dataDescriptor ? 0 : crc);
    AppendLe32(out, member.dataDescriptor ? 0 : compressedSize);
    AppendLe32(out, member.dataDescriptor ? 0 : size);
    AppendLe16(out,
               member.localNameLength.value_or(static_cast<std::uint16_t>(member.name.size())));
    AppendLe16(out, static_cast<std::uint32_t>(member.localExtra.size()));
    out += member.name;
    out += member.localExtra;
    image.memberData.push_back(out.size());
    out += data;
    if (member.dataDescriptor) {
      AppendLe32(out, 0x08074B50);
      AppendLe32(out, crc);
      AppendLe32(out, compressedSize);
      AppendLe32(out, size);
    }

    std::string record;
    AppendLe32(record, 0x02014B50);
    AppendLe16(record, versionMadeBy);
    AppendLe16(record, member.version);
    AppendLe16(record, flags);
    AppendLe16(record, member.method);
    AppendLe32(record, member.dosDateTime);
    AppendLe32(record, crc);
    AppendLe32(record, compressedSize);
    AppendLe32(record, size);
    AppendLe16(record, static_cast<std::uint32_t>(member.name.size()));
    AppendLe16(record, static_cast<std::uint32_t>(member.centralExtra.size()));
    AppendLe16(record, static_cast<std::uint32_t>(member.comment.size()));
    AppendLe16(record, 0);  // starting disk
    AppendLe16(record, 0);  // internal attributes
    AppendLe32(record, member.externalAttributes);
    AppendLe32(record, localOffset);
    record += member.name;
    record += member.centralExtra;
    record += member.comment;
    image.centralRecords.push_back(out.size() + central.size());
    central += record;
  }
  const auto centralOffset = static_cast<std::uint32_t>(out.size() - archiveStart);
  out += central;
  image.endRecord = out.size();
  AppendLe32(out, 0x06054B50);
  AppendLe16(out, 0);  // this disk
  AppendLe16(out, 0);  // disk with the central directory
  AppendLe16(out, static_cast<std::uint32_t>(members_.size()));
  AppendLe16(out, static_cast<std::uint32_t>(members_.size()));
  AppendLe32(out, static_cast<std::uint32_t>(central.size()));
  AppendLe32(out, centralOffset);
  AppendLe16(out, static_cast<std::uint32_t>(comment_.size()));
  out += comment_;
  return image;
}

void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<char>(value & 0xFF);
  bytes.at(at + 1) = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  PutLe16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
  PutLe16(bytes, at + 1 + 1, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace kv::test
