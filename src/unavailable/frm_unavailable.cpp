#include "unavailable/frm_unavailable.h"

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/label.h"
#include "forms/text_box.h"
#include "forms/user_interface.h"
#include "windows/window_support.h"

namespace pendrel::unavailable {

using forms::CheckBox;
using forms::CommandButton;
using forms::Label;
using forms::TextBox;

std::optional<int32_t> parse_time_out(std::wstring_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

FrmUnavailable::FrmUnavailable(component::Environment& env)
    : component::ComponentWindow(env.window_system),
      env_(env),
      form_(L"frmUnavailable", [this](forms::Form& f) { design(f); }) {
  windows::attach_environment(form_, env);
  form_.on_load = [this] { Form_Load(); };
  form_.on_activate = [this] { Form_Activate(); };
}

void FrmUnavailable::design(forms::Form& f) {
  f.set_caption(L"Unavailable Dialog Settings");
  f.set_border_style(forms::border_style::kFixedDialog);
  f.set_start_up_position(forms::start_up_position::kCenterOwner);
  f.set_client_size(5400, 3765);
  // OK writes back what Activate reads: it waits until Activate is done.
  f.set_holds_input_during_activate(true);

  // In tab order: each label's access key moves the focus to its box.
  Label& caption_label = f.add<Label>(L"Label1", 0);
  caption_label.set_caption(L"C&aption:");
  caption_label.move(120, 165, 1395, 255);
  TextBox& caption = f.add<TextBox>(L"txtData", 0);
  caption.move(1560, 120, 3720, 315);
  caption.set_tool_tip_text(L"This is the window title of the 'System Unavailble' dialog box.");

  Label& message_label = f.add<Label>(L"Label1", 1);
  message_label.set_caption(L"&Message:");
  message_label.move(120, 555, 1395, 255);
  TextBox& message = f.add<TextBox>(L"txtData", 1);
  message.move(1560, 510, 3720, 1695);
  message.set_multi_line(true);
  message.set_scroll_bars(2);
  message.set_max_length(kMessageMaxLength);
  message.set_tool_tip_text(
      L"This is the message to be displayed in the 'System Unavailble' dialog box.  It can be up to "
      L"8192 characters.");

  Label& time_out_label = f.add<Label>(L"Label1", 2);
  time_out_label.set_caption(L"&Time Out (Secs):");
  time_out_label.move(120, 2355, 1395, 255);
  TextBox& time_out = f.add<TextBox>(L"txtData", 2);
  time_out.move(1560, 2310, 1095, 315);
  time_out.set_tool_tip_text(
      L"This is the time, in seconds, the 'System Unavailable' dialog is displayed.");

  CheckBox& unlocks = f.add<CheckBox>(L"chkUnlocksPermitted");
  unlocks.set_caption(L"&Unlocks Permitted");
  unlocks.set_tool_tip_text(L"Allowing the 'Unlocking' of a 'locked' computer.");
  unlocks.move(1560, 2760, 2415, 255);

  CommandButton& ok = f.add<CommandButton>(L"OKButton");
  ok.set_caption(L"&OK");
  ok.set_default(true);
  ok.move(2790, 3240, 1185, 405);
  ok.on_click = [this] { OKButton_Click(); };

  // Not the cancel button: Esc leaves the dialog as it is.
  CommandButton& cancel = f.add<CommandButton>(L"CancelButton");
  cancel.set_caption(L"&Cancel");
  cancel.move(4095, 3240, 1185, 405);
  cancel.on_click = [this] { CancelButton_Click(); };

  for (int index = 0; index <= 2; ++index) {
    f.get<TextBox>(L"txtData", index).on_key_press = [this, index](int& key_ascii) {
      txtData_KeyPress(index, key_ascii);
    };
  }
}

void FrmUnavailable::Form_Load() { ok_ = false; }

void FrmUnavailable::Form_Activate() {
  ok_ = false;
  form_.zorder(0);
  const outside::Computer computer = this->computer();
  form_.set_caption(L"Unavailable Properties of " + computer.name());
  form_.get<TextBox>(L"txtData", 0).set_text(computer.unavailable_caption());
  form_.get<TextBox>(L"txtData", 1).set_text(computer.unavailable_text());
  const Variant time_out =
      computer.get_registry_value(outside::kHkeyLocalMachine, kRestrictionsKey, kTimeOutValue, kDefaultTimeOut);
  form_.get<TextBox>(L"txtData", 2).set_text(time_out.to_text());
  form_.get<CheckBox>(L"chkUnlocksPermitted")
      .set_value(computer.unlocks_enabled() ? forms::check_value::kChecked : forms::check_value::kUnchecked);
  form_.zorder(0);
}

void FrmUnavailable::txtData_KeyPress(int index, int& key_ascii) {
  if (index != 2) return;
  const bool digit = key_ascii >= '0' && key_ascii <= '9';
  if (!digit && key_ascii != forms::key_ascii::kBackspace) key_ascii = 0;
}

void FrmUnavailable::OKButton_Click() {
  // Pasting is the only way past the key filter; a time-out that cannot be
  // stored as a 32-bit integer stops OK before anything is written.
  const std::optional<int32_t> time_out = parse_time_out(form_.get<TextBox>(L"txtData", 2).text());
  if (!time_out) {
    env_.ui.message_box(kBadTimeOutMessage, forms::msgbox_style::kOKOnly | forms::msgbox_style::kExclamation,
                        windows::kComponentTitle);
    return;
  }
  const outside::Computer computer = this->computer();
  ok_ = true;
  computer.set_unavailable_caption(form_.get<TextBox>(L"txtData", 0).text());
  computer.set_unavailable_text(form_.get<TextBox>(L"txtData", 1).text());
  computer.set_logons_enabled(false);
  const int unlocks = form_.get<CheckBox>(L"chkUnlocksPermitted").value();
  computer.set_unlocks_enabled(unlocks == forms::check_value::kChecked);
  computer.set_registry_value(outside::kHkeyLocalMachine, kRestrictionsKey, kTimeOutValue, *time_out);
  form_.hide();
}

void FrmUnavailable::CancelButton_Click() {
  computer().set_logons_enabled(true);
  form_.hide();
}

}  // namespace pendrel::unavailable
