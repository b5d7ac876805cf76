// The keys a form answers itself, as a VB form does: Tab and Shift+Tab in the
// model's tab order (which may cross frames in any order), Enter for the
// default button or the focused button, Esc for the cancel button, and access
// keys with Alt (or alone on a control that takes no typing). The rest goes
// to IsDialogMessage.
#include <cwctype>

#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/text_box.h"
#include "platform/win32/ui/callback_guard.h"
#include "platform/win32/ui/form_window.h"

namespace pendrel::win32::ui {

using forms::ControlKind;

namespace {

thread_local unique_hhook keyboard_hook;

// The keyboard hook: the host's message loop knows nothing of our windows, so
// Tab, Enter, Esc and access keys are handled as the messages are taken from
// the queue.
LRESULT CALLBACK keyboard_proc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    MSG& msg = *reinterpret_cast<MSG*>(lparam);
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
        guard_callback(msg.hwnd, false, [&msg] { return translate_message(msg); })) {
      msg.message = WM_NULL;
      msg.wParam = 0;
      msg.lParam = 0;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

void hook_keyboard() {
  if (!keyboard_hook) {
    keyboard_hook.reset(SetWindowsHookExW(WH_GETMESSAGE, keyboard_proc, nullptr, GetCurrentThreadId()));
  }
}

void unhook_keyboard() { keyboard_hook.reset(); }

bool translate_message(MSG& msg) {
  if (!msg.hwnd || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  FormWindow* window = FormWindow::of_window(GetAncestor(msg.hwnd, GA_ROOT));
  return window && window->translate(msg);
}

void FormWindow::focus(forms::Control& control) {
  HWND target = window_of(control);
  if (!target) return;
  focus_ = target;
  SetFocus(target);
}

forms::Control* FormWindow::previous_in_tab_order(const forms::Control* from) const {
  const auto& order = form_.tab_order();
  const size_t count = order.size();
  size_t at = count;
  for (size_t i = 0; from && i < count; ++i) {
    if (order[i] == from) at = i;
  }
  for (size_t n = 1; n <= count; ++n) {
    forms::Control* c = order[(at + 2 * count - n) % count];
    if (c != from && c->can_receive_focus() && c->tab_stop()) return c;
  }
  return nullptr;
}

bool FormWindow::translate(MSG& msg) {
  HWND self = hwnd_;
  forms::Control* focused = control_of(GetFocus());
  const bool control_key = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;

  if (msg.message == WM_KEYDOWN && !alt && !control_key) {
    const bool dropped = focused && focused->kind() == ControlKind::ComboBox &&
                         SendMessageW(window_of(*focused), CB_GETDROPPEDSTATE, 0, 0);
    switch (msg.wParam) {
      case VK_TAB: {
        forms::Control* next = GetKeyState(VK_SHIFT) < 0 ? previous_in_tab_order(focused)
                                                          : form_.next_in_tab_order(focused, true);
        if (next) focus(*next);
        return true;
      }
      case VK_RETURN: {
        if (dropped) break;
        forms::CommandButton* fallback = form_.default_button();
        // A multi-line box takes Enter as a line break unless the form has a default button.
        if (focused && focused->kind() == ControlKind::TextBox &&
            static_cast<forms::TextBox*>(focused)->multi_line() && !(fallback && fallback->can_receive_focus())) {
          return false;
        }
        bool handled = false;
        if (focused && focused->kind() == ControlKind::CommandButton) {
          handled = true;
          if (!forward([&] { focused->user_click(); })) return true;
        } else if (!forward([&] { handled = form_.user_enter_key(); })) {
          return true;
        }
        return handled;
      }
      case VK_ESCAPE:
        if (dropped) break;
        // Eaten even without a cancel button: a multi-line edit would close the window.
        forward([&] { form_.user_escape_key(); });
        return true;
      default: break;
    }
  }

  const bool plain_mnemonic = msg.message == WM_CHAR && !control_key && std::iswalnum(static_cast<wint_t>(msg.wParam)) &&
                              (!focused || focused->kind() == ControlKind::CommandButton ||
                               focused->kind() == ControlKind::CheckBox || focused->kind() == ControlKind::TabStrip);
  if (msg.message == WM_SYSCHAR || plain_mnemonic) {
    const auto key = static_cast<wchar_t>(msg.wParam);
    forms::Control* target = nullptr;
    if (!forward([&] { target = form_.user_access_key(key, focused); })) return true;
    if (target) focus(*target);
    return target != nullptr;
  }
  return IsDialogMessageW(self, &msg) != FALSE;
}

}  // namespace pendrel::win32::ui
