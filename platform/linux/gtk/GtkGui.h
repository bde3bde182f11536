#pragma once

#include "platform/Gui.h"

namespace kv::platform {

class GtkGui final : public Gui {
 public:
  bool Initialize() override;
};

}  // namespace kv::platform
