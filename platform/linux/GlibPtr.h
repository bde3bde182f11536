#pragma once
// Owning holders for GLib/GObject values, so every path releases them.

#include <glib-object.h>
#include <glib.h>

#include <utility>

namespace kv::platform {

template <typename T, void (*Free)(T*)>
class GHolder {
 public:
  GHolder() = default;
  explicit GHolder(T* value) : value_(value) {}
  GHolder(GHolder&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  GHolder& operator=(GHolder&& other) noexcept {
    reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  GHolder(const GHolder&) = delete;
  GHolder& operator=(const GHolder&) = delete;
  ~GHolder() { reset(); }

  T* get() const { return value_; }
  T* operator->() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  T* release() { return std::exchange(value_, nullptr); }
  void reset(T* value = nullptr) {
    if (value_ != nullptr) {
      Free(value_);
    }
    value_ = value;
  }
  // For out-parameters of GLib calls; drops any value held before.
  T** out() {
    reset();
    return &value_;
  }

 private:
  T* value_ = nullptr;
};

namespace detail {
inline void FreeChars(char* p) {
  g_free(p);
}
inline void FreeStrv(char** p) {
  g_strfreev(p);
}
inline void FreeError(GError* p) {
  g_error_free(p);
}
inline void FreeChecksum(GChecksum* p) {
  g_checksum_free(p);
}
template <typename T>
void Unref(T* p) {
  g_object_unref(p);
}
template <typename T>
void FreeMemory(T* p) {
  g_free(p);
}
}  // namespace detail

using GCharPtr = GHolder<char, detail::FreeChars>;
using GStrvPtr = GHolder<char*, detail::FreeStrv>;
using GErrorPtr = GHolder<GError, detail::FreeError>;
using GChecksumPtr = GHolder<GChecksum, detail::FreeChecksum>;
template <typename T>
using GObjectPtr = GHolder<T, detail::Unref<T>>;
// Memory from g_malloc, such as an array a GLib call hands over.
template <typename T>
using GMallocPtr = GHolder<T, detail::FreeMemory<T>>;
// A list whose links (not the data they point to) belong to the holder.
using GListPtr = GHolder<GList, g_list_free>;
using GMainLoopPtr = GHolder<GMainLoop, g_main_loop_unref>;

}  // namespace kv::platform
