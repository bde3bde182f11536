#pragma once
// The traditional PKWARE stream cipher of ZIP members (flag bit 0).

#include <cstdint>
#include <string_view>

namespace kv::zip {

class PkwareCipher {
 public:
  // Keys set up from `password` (empty: no password).
  explicit PkwareCipher(std::string_view password);

  // Deciphers one byte and moves the keys on.
  unsigned char Decrypt(unsigned char byte);

 private:
  unsigned char KeyStreamByte() const;
  void UpdateKeys(unsigned char plain);

  std::uint32_t keys_[3];
};

}  // namespace kv::zip
