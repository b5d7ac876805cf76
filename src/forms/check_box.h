// CheckBox: Value 0 (clear), 1 (checked) or 2 (grayed). Its Click event runs
// whenever the value changes, whether the user or code changed it; setting the
// value it already has raises nothing.
#pragma once

#include "forms/captioned_control.h"

namespace pendrel::forms {

namespace check_value {
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;
}  // namespace check_value

class CheckBox : public CaptionedControl {
 public:
  explicit CheckBox(const ControlSite& site) : CaptionedControl(site, ControlKind::CheckBox) {}

  int value() const { return value_; }
  // Raises 380 for a value other than 0, 1 or 2.
  void set_value(int value);

  // The user set the box (the renderer reads the new state of the button).
  void user_set_value(int value);
  // A click or the access key: a checked box clears, any other becomes checked.
  void user_click() override;

 private:
  int value_ = check_value::kUnchecked;
};

}  // namespace pendrel::forms
