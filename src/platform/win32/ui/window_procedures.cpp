// The window procedures of a form and of its controls: what the user does
// goes back to the model as its user_* calls.
#include "forms/combo_box.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "platform/win32/ui/callback_guard.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/picture_art.h"
#include "platform/win32/ui/window_basics.h"

namespace pendrel::win32::ui {

using forms::ControlKind;

namespace {

thread_local int app_pointer = 0;

}  // namespace

int application_pointer() { return app_pointer; }

void set_application_pointer(int pointer) { app_pointer = pointer; }

LRESULT CALLBACK FormWindow::form_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return guard_callback(hwnd, LRESULT{0}, [&] { return self->form_message(message, wparam, lparam); });
}

LRESULT FormWindow::form_message(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND self = hwnd_;
  switch (message) {
    case WM_COMMAND:
      if (lparam) command(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY: return notify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focused = GetFocus();
        if (focused && IsChild(hwnd_, focused)) focus_ = focused;
        return 0;
      }
      if (!HIWORD(wparam)) {
        if (HWND target = focus_target()) SetFocus(target);
      }
      if (!applying_) forward([this] { form_.user_activated(); });
      return 0;
    case WM_SETFOCUS:
      if (HWND target = focus_target()) SetFocus(target);
      return 0;
    case WM_CLOSE: forward([this] { form_.user_close(); }); return 0;
    case WM_WINDOWPOSCHANGED: {
      const auto& pos = *reinterpret_cast<const WINDOWPOS*>(lparam);
      const bool moved = (pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE);
      if (moved && !applying_ && !IsIconic(hwnd_)) {
        const forms::Bounds real = outer_bounds();
        if (!(real == form_.bounds()) && !forward([&] { form_.user_moved(real); })) return 0;
      }
      break;
    }
    case WM_SIZE:
      if (!applying_ && IsWindowVisible(hwnd_)) {
        const int state = wparam == SIZE_MINIMIZED ? 1 : wparam == SIZE_MAXIMIZED ? 2 : 0;
        if (state != form_.window_state()) forward([&] { form_.user_window_state(state); });
      }
      return 0;
    case WM_MOUSEMOVE: forward([this] { form_.user_mouse_move(); }); return 0;
    case WM_SETCURSOR:
      if (set_cursor(reinterpret_cast<HWND>(wparam), LOWORD(lparam))) return TRUE;
      break;
    case kReleaseRedraw: release_redraw(); return 0;
    default: break;
  }
  return DefWindowProcW(self, message, wparam, lparam);
}

LRESULT CALLBACK FormWindow::control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const auto it = self ? self->by_window_.find(hwnd) : decltype(self->by_window_)::iterator{};
  if (!self || it == self->by_window_.end()) return DefWindowProcW(hwnd, message, wparam, lparam);
  View& view = *it->second;
  if (message == WM_NCDESTROY) {
    const WNDPROC original = view.original_proc;
    self->by_window_.erase(it);
    return CallWindowProcW(original, hwnd, message, wparam, lparam);
  }
  return guard_callback(hwnd, LRESULT{0},
                        [&] { return self->control_message(view, hwnd, message, wparam, lparam); });
}

LRESULT FormWindow::control_message(View& view, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  forms::Control& control = *view.control;
  switch (message) {
    case WM_COMMAND:
      if (control.kind() == ControlKind::Frame) {
        if (lparam) command(reinterpret_cast<HWND>(lparam), HIWORD(wparam));
        return 0;
      }
      break;
    case WM_NOTIFY:
      if (control.kind() == ControlKind::Frame) return notify(*reinterpret_cast<const NMHDR*>(lparam));
      break;
    case WM_MOUSEMOVE:
      if (!forward([&] { control.user_mouse_move(); }) || !IsWindow(hwnd)) return 0;
      break;
    case WM_SETCURSOR:
      if (set_cursor(reinterpret_cast<HWND>(wparam), LOWORD(lparam))) return TRUE;
      break;
    case WM_CHAR:
      if (control.kind() == ControlKind::TextBox) {
        // Every typed character passes KeyPress first; a discarded one never reaches the edit.
        int key = static_cast<int>(wparam);
        if (!forward([&] { key = static_cast<forms::TextBox&>(control).user_key_press(key); }) || !IsWindow(hwnd)) {
          return 0;
        }
        if (key == 0) return 0;
        wparam = static_cast<WPARAM>(key);
      }
      break;
    default: break;
  }
  return CallWindowProcW(view.original_proc, hwnd, message, wparam, lparam);
}

bool FormWindow::set_cursor(HWND over, int hit) {
  HCURSOR cursor = nullptr;
  if (app_pointer != 0) {
    cursor = pointer_cursor(app_pointer, 0);
  } else if (hit == HTCLIENT) {
    if (forms::Control* c = control_of(over); c && c->mouse_pointer() != 0) {
      cursor = pointer_cursor(c->mouse_pointer(), c->mouse_icon());
    }
  }
  if (!cursor) return false;
  SetCursor(cursor);
  return true;
}

void FormWindow::command(HWND from, int code) {
  const auto it = by_window_.find(from);
  if (it == by_window_.end() || applying_) return;
  View& view = *it->second;
  forms::Control& control = *view.control;
  switch (control.kind()) {
    case ControlKind::CommandButton:
      if (code == BN_CLICKED) forward([&] { control.user_click(); });
      break;
    case ControlKind::CheckBox:
      if (code == BN_CLICKED && forward([&] { control.user_click(); })) {
        Applying applying(*this);
        apply_value(view);
      }
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) {
        const std::wstring text = window_text(from);
        if (forward([&] { static_cast<forms::TextBox&>(control).user_edited(text); })) {
          Applying applying(*this);
          apply_text(view);
        }
      }
      break;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageW(from, CB_GETCURSEL, 0, 0));
        if (forward([&] { static_cast<forms::ComboBox&>(control).user_select(index); })) {
          Applying applying(*this);
          apply_list_index(view);
        }
      } else if (code == CBN_EDITCHANGE) {
        const std::wstring text = window_text(from);
        forward([&] { static_cast<forms::ComboBox&>(control).user_edited(text); });
      }
      break;
    case ControlKind::Label:
    case ControlKind::Image:
      if (code == STN_CLICKED) forward([&] { control.user_click(); });
      if (code == STN_DBLCLK) forward([&] { control.user_dbl_click(); });
      break;
    default: break;
  }
}

LRESULT FormWindow::notify(const NMHDR& header) {
  const auto it = by_window_.find(header.hwndFrom);
  if (it == by_window_.end()) return 0;
  View& view = *it->second;
  switch (view.control->kind()) {
    case ControlKind::TabStrip:
      if (header.code == TCN_SELCHANGE && !applying_) {
        const int index = static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)) + 1;
        if (forward([&] { static_cast<forms::TabStrip*>(view.control)->user_select(index); })) {
          Applying applying(*this);
          apply_selected_tab(view);
        }
      }
      return 0;
    case ControlKind::ListView: return list_notify(view, header);
    case ControlKind::TreeView: return tree_notify(view, header);
    default: return 0;
  }
}

}  // namespace pendrel::win32::ui
