#include "install/zip/PkwareCipher.h"

#include <zlib.h>

namespace kv::zip {

namespace {

std::uint32_t Crc32Step(std::uint32_t crc, unsigned char byte) {
  static const z_crc_t* const table = get_crc_table();
  return static_cast<std::uint32_t>(table[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

}  // namespace

PkwareCipher::PkwareCipher(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
  for (const char c : password) {
    UpdateKeys(static_cast<unsigned char>(c));
  }
}

unsigned char PkwareCipher::KeyStreamByte() const {
  const std::uint32_t temp = (keys_[2] & 0xFFFF) | 2;
  return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
}

void PkwareCipher::UpdateKeys(unsigned char plain) {
  keys_[0] = Crc32Step(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
  keys_[2] = Crc32Step(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
}

unsigned char PkwareCipher::Decrypt(unsigned char byte) {
  const auto plain = static_cast<unsigned char>(byte ^ KeyStreamByte());
  UpdateKeys(plain);
  return plain;
}

}  // namespace kv::zip
