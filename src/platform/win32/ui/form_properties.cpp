// The model's changes applied to the window and its controls: each only when
// the control shows something else.
#include <algorithm>

#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/image.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/picture_art.h"
#include "platform/win32/ui/window_basics.h"

namespace pendrel::win32::ui {

using forms::ControlKind;
using forms::Property;

void FormWindow::form_changed(Property property) {
  if (!hwnd_) return;
  Applying applying(*this);
  switch (property) {
    case Property::Caption: set_text(hwnd_, form_.caption()); break;
    case Property::Bounds: apply_form_bounds(); break;
    case Property::WindowState: apply_window_state(); break;
    case Property::Style: {
      const int border = form_.border_style();
      const DWORD visible = GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE;
      SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(form_style(border) | visible));
      SetWindowLongW(hwnd_, GWL_EXSTYLE, static_cast<LONG>(form_ex_style(border)));
      applied_client_width_ = -1;
      apply_form_bounds();
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      break;
    }
    default: break;
  }
}

void FormWindow::apply_form_bounds() {
  if (IsIconic(hwnd_) || IsZoomed(hwnd_)) return;
  if (form_.client_width() != applied_client_width_ || form_.client_height() != applied_client_height_) {
    applied_client_width_ = form_.client_width();
    applied_client_height_ = form_.client_height();
    RECT outer{0, 0, forms::twips_to_pixels(form_.client_width(), dpi_),
               forms::twips_to_pixels(form_.client_height(), dpi_)};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const forms::Bounds real = outer_bounds();
    if (!(real == form_.bounds())) forward([&] { form_.user_moved(real); });
    return;
  }
  const RECT want = pixels(form_.bounds());
  RECT now{};
  GetWindowRect(hwnd_, &now);
  if (!EqualRect(&want, &now)) {
    SetWindowPos(hwnd_, nullptr, want.left, want.top, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void FormWindow::apply_window_state() {
  if (!IsWindowVisible(hwnd_)) return;
  const int state = form_.window_state();
  const int now = IsIconic(hwnd_) ? 1 : IsZoomed(hwnd_) ? 2 : 0;
  if (state != now) ShowWindow(hwnd_, state == 1 ? SW_MINIMIZE : state == 2 ? SW_MAXIMIZE : SW_RESTORE);
}

void FormWindow::control_changed(forms::Control& control, const forms::Change& change) {
  const auto it = views_.find(&control);
  if (!hwnd_ || it == views_.end()) return;
  View& view = *it->second;
  Applying applying(*this);
  switch (change.property) {
    case Property::Caption: apply_caption(view); break;
    case Property::Text: apply_text(view); break;
    case Property::Value: apply_value(view); break;
    case Property::Enabled: apply_enabled(view); break;
    case Property::Visible: apply_visible(view); break;
    case Property::ToolTipText: apply_tooltip(view); break;
    case Property::Bounds: apply_bounds(view); break;
    case Property::ZOrder: restack(control.container()); break;
    case Property::Font: apply_font(view); break;
    case Property::Style: recreate(view); break;
    case Property::Default: apply_default(view); break;
    case Property::MaxLength: apply_max_length(view); break;
    case Property::Picture: apply_picture(view); break;
    case Property::List: apply_list(view); break;
    case Property::ListIndex: apply_list_index(view); break;
    case Property::Tabs: apply_tabs(view); break;
    case Property::SelectedTab: apply_selected_tab(view); break;
    case Property::ImageLists: apply_image_lists(view); break;
    case Property::Columns: apply_columns(view); break;
    case Property::Items: show_rows(view); break;
    case Property::Sort: apply_sort(view); break;
    case Property::Nodes: tree_changed(view, change); break;
    default: break;
  }
}

void FormWindow::apply_caption(View& view) {
  switch (view.control->kind()) {
    case ControlKind::Label:
    case ControlKind::CheckBox:
    case ControlKind::CommandButton:
      set_text(view.hwnd, static_cast<forms::CaptionedControl*>(view.control)->caption());
      break;
    case ControlKind::Frame: set_text(view.box, static_cast<forms::Frame*>(view.control)->caption()); break;
    default: break;
  }
}

void FormWindow::apply_text(View& view) {
  if (view.control->kind() == ControlKind::TextBox) {
    set_text(view.hwnd, static_cast<forms::TextBox*>(view.control)->text());
  } else if (view.control->kind() == ControlKind::ComboBox) {
    const auto& combo = *static_cast<forms::ComboBox*>(view.control);
    if (combo.style() == forms::combo_style::kDropdownCombo) set_text(view.hwnd, combo.text());
  }
}

void FormWindow::apply_value(View& view) {
  if (view.control->kind() != ControlKind::CheckBox) return;
  // The check states 0, 1 and 2 are BST_UNCHECKED, BST_CHECKED and BST_INDETERMINATE.
  const int value = static_cast<forms::CheckBox*>(view.control)->value();
  if (SendMessageW(view.hwnd, BM_GETCHECK, 0, 0) != value) SendMessageW(view.hwnd, BM_SETCHECK, value, 0);
}

void FormWindow::apply_enabled(View& view) {
  const bool enabled = view.control->effectively_enabled();
  if (!IsWindowEnabled(view.hwnd) != !enabled) EnableWindow(view.hwnd, enabled);
  if (view.control->kind() == ControlKind::Frame) {
    EnableWindow(view.box, enabled);
    apply_enabled_within(*view.control);
  }
}

void FormWindow::apply_enabled_within(const forms::Control& frame) {
  for (forms::Control* c : form_.controls()) {
    if (c->container() != &frame) continue;
    if (const auto it = views_.find(c); it != views_.end()) apply_enabled(*it->second);
  }
}

void FormWindow::apply_visible(View& view) {
  const bool visible = view.control->visible();
  const bool now = (GetWindowLongW(view.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != now) ShowWindow(view.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void FormWindow::apply_tooltip(View& view) {
  if (!tooltip_) return;
  const std::wstring& text = view.control->tool_tip_text();
  TTTOOLINFOW tool = tool_info(hwnd_, view.hwnd);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  if (text.empty()) {
    if (view.has_tip) SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    view.has_tip = false;
  } else if (view.has_tip) {
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    view.has_tip = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
  }
}

void FormWindow::apply_bounds(View& view) {
  RECT want = pixels(view.control->bounds());
  if (view.control->kind() == ControlKind::ComboBox) want.bottom += kComboDropHeight;
  RECT now{};
  GetWindowRect(view.hwnd, &now);
  MapWindowPoints(nullptr, GetParent(view.hwnd), reinterpret_cast<POINT*>(&now), 2);
  // A combo box reports the height of its edit field, not of its open list.
  if (view.control->kind() == ControlKind::ComboBox) now.bottom = want.bottom;
  if (!EqualRect(&want, &now)) {
    SetWindowPos(view.hwnd, nullptr, want.left, want.top, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (view.box) {
    SetWindowPos(view.box, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  if (view.control->kind() == ControlKind::Image) apply_picture(view);
}

void FormWindow::apply_font(View& view) {
  HFONT font = view.control->font_underline() ? underline_font_.get() : font_.get();
  HWND target = view.box ? view.box : view.hwnd;
  if (reinterpret_cast<HFONT>(SendMessageW(target, WM_GETFONT, 0, 0)) != font) {
    SendMessageW(target, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void FormWindow::apply_default(View& view) {
  if (view.control->kind() != ControlKind::CommandButton) return;
  const DWORD want = static_cast<forms::CommandButton*>(view.control)->is_default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((GetWindowLongW(view.hwnd, GWL_STYLE) & BS_TYPEMASK) != want) {
    SendMessageW(view.hwnd, BM_SETSTYLE, want, TRUE);
  }
}

void FormWindow::apply_max_length(View& view) {
  if (view.control->kind() != ControlKind::TextBox) return;
  SendMessageW(view.hwnd, EM_LIMITTEXT, static_cast<WPARAM>(static_cast<forms::TextBox*>(view.control)->max_length()),
               0);
}

void FormWindow::apply_picture(View& view) {
  if (view.control->kind() != ControlKind::Image) return;
  const auto& image = *static_cast<forms::Image*>(view.control);
  unique_hicon icon;
  if (image.picture() != 0) {
    const RECT r = pixels(image.bounds());
    const int fit = std::min(r.right - r.left, r.bottom - r.top);
    icon = draw_picture(image.picture(), image.stretch() ? std::max(1, fit) : 32);
  }
  SendMessageW(view.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  view.picture = std::move(icon);
}

void FormWindow::apply_list(View& view) {
  if (view.control->kind() != ControlKind::ComboBox) return;
  const auto& combo = *static_cast<forms::ComboBox*>(view.control);
  SendMessageW(view.hwnd, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : combo.items()) {
    SendMessageW(view.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  apply_list_index(view);
  apply_text(view);
}

void FormWindow::apply_list_index(View& view) {
  if (view.control->kind() != ControlKind::ComboBox) return;
  const int index = static_cast<forms::ComboBox*>(view.control)->list_index();
  if (SendMessageW(view.hwnd, CB_GETCURSEL, 0, 0) != index) SendMessageW(view.hwnd, CB_SETCURSEL, index, 0);
}

void FormWindow::apply_tabs(View& view) {
  if (view.control->kind() != ControlKind::TabStrip) return;
  const auto& strip = *static_cast<forms::TabStrip*>(view.control);
  SendMessageW(view.hwnd, TCM_DELETEALLITEMS, 0, 0);
  for (int i = 1; i <= strip.tab_count(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(strip.tab(i).caption.c_str());
    SendMessageW(view.hwnd, TCM_INSERTITEMW, static_cast<WPARAM>(i - 1), reinterpret_cast<LPARAM>(&item));
  }
  apply_selected_tab(view);
}

void FormWindow::apply_selected_tab(View& view) {
  if (view.control->kind() != ControlKind::TabStrip) return;
  const int selected = static_cast<forms::TabStrip*>(view.control)->selected_index() - 1;
  if (SendMessageW(view.hwnd, TCM_GETCURSEL, 0, 0) != selected) SendMessageW(view.hwnd, TCM_SETCURSEL, selected, 0);
}

}  // namespace pendrel::win32::ui
