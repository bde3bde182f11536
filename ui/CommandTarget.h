#pragma once
// What a skinned button reports its clicks to: its owner window, by control id
// (the counterpart of a button's click command).

namespace kv::ui {

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  virtual void OnCommand(int id) = 0;
};

}  // namespace kv::ui
