#include "forms/user_interface.h"

namespace pendrel::forms {

int default_button(int style) {
  using namespace msgbox_result;
  int buttons[3] = {kOK, kOK, kOK};
  switch (style & msgbox_style::kButtonsMask) {
    case msgbox_style::kOKCancel: buttons[1] = buttons[2] = kCancel; break;
    case msgbox_style::kAbortRetryIgnore: buttons[0] = kAbort, buttons[1] = kRetry, buttons[2] = kIgnore; break;
    case msgbox_style::kYesNoCancel: buttons[0] = kYes, buttons[1] = kNo, buttons[2] = kCancel; break;
    case msgbox_style::kYesNo: buttons[0] = kYes, buttons[1] = buttons[2] = kNo; break;
    case msgbox_style::kRetryCancel: buttons[0] = kRetry, buttons[1] = buttons[2] = kCancel; break;
    default: break;
  }
  switch (style & msgbox_style::kDefaultButtonMask) {
    case msgbox_style::kDefaultButton2: return buttons[1];
    case msgbox_style::kDefaultButton3: return buttons[2];
    default: return buttons[0];
  }
}

}  // namespace pendrel::forms
