#pragma once
// A decoded picture with an alpha channel. Images are made by Gui (from PNG
// bytes, from raw pixels, or as a snapshot of a Canvas) and are immutable.

#include "platform/Geometry.h"

namespace kv::platform {

class Image {
 public:
  virtual ~Image() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  Size GetSize() const { return {Width(), Height()}; }
};

}  // namespace kv::platform
