#include "forms/check_box.h"

#include "forms/errors.h"

namespace pendrel::forms {

void CheckBox::set_value(int value) {
  if (value < check_value::kUnchecked || value > check_value::kGrayed) {
    throw form_failure(form_error::kInvalidPropertyValue);
  }
  if (value == value_) return;
  value_ = value;
  changed(Property::Value);
  raise(on_click);
}

void CheckBox::user_set_value(int value) {
  if (held([this, value] { user_set_value(value); })) return;
  user_action([this, value] { set_value(value); });
}

void CheckBox::user_click() {
  user_set_value(value_ == check_value::kChecked ? check_value::kUnchecked : check_value::kChecked);
}

}  // namespace pendrel::forms
