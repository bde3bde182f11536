#pragma once
// Sets (or, with nullptr, removes) one environment variable for the life of
// the object and restores the previous state afterwards.

#include <stdlib.h>

#include <optional>
#include <string>

namespace kv::test {

class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) {
      old_ = old;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvOverride() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace kv::test
