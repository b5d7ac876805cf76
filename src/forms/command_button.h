// CommandButton: Click runs on a user click, on Enter when it is the form's
// default button, on Esc when it is the cancel button, and when code sets its
// value to true.
#pragma once

#include "forms/captioned_control.h"

namespace pendrel::forms {

class CommandButton : public CaptionedControl {
 public:
  explicit CommandButton(const ControlSite& site) : CaptionedControl(site, ControlKind::CommandButton) {}

  // At most one button of a form is the default and one the cancel button:
  // making one so clears it on the others.
  bool is_default() const { return default_; }
  void set_default(bool is_default);
  bool cancel() const { return cancel_; }
  void set_cancel(bool cancel);

  // VB's `Value = True`: clicks the button from code. False does nothing.
  void set_value(bool value);

 private:
  bool default_ = false;
  bool cancel_ = false;
};

}  // namespace pendrel::forms
