#include "forms/command_button.h"

#include "forms/form.h"

namespace pendrel::forms {

void CommandButton::set_default(bool is_default) {
  if (is_default == default_) return;
  if (is_default) {
    for (Control* c : form().controls()) {
      if (c != this && c->kind() == ControlKind::CommandButton) {
        static_cast<CommandButton*>(c)->set_default(false);
      }
    }
  }
  default_ = is_default;
  changed(Property::Default);
}

void CommandButton::set_cancel(bool cancel) {
  if (cancel == cancel_) return;
  if (cancel) {
    for (Control* c : form().controls()) {
      if (c != this && c->kind() == ControlKind::CommandButton) {
        static_cast<CommandButton*>(c)->set_cancel(false);
      }
    }
  }
  cancel_ = cancel;
  changed(Property::Cancel);
}

void CommandButton::set_value(bool value) {
  if (value) raise(on_click);
}

}  // namespace pendrel::forms
