#pragma once
// The generated table behind Find(); only res/ and the generated file include it.

#include <span>

#include "res/Resources.h"

namespace kv::res::detail {

struct Entry {
  Type type;
  int id;
  const unsigned char* begin;
  const unsigned char* end;
};

const std::span<const Entry> Entries();

}  // namespace kv::res::detail
