// Building the window from the model: its place and size, one child window
// per control, their stacking, and a control built anew when its style changes.
#include <windows.h>
#include <uxtheme.h>

#include <algorithm>

#include "core/error.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/text_box.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/window_basics.h"

namespace pendrel::win32::ui {

using forms::ControlKind;

void FormWindow::place_window() {
  const int border = form_.border_style();
  const DWORD style = form_style(border);
  const DWORD ex = form_ex_style(border);
  RECT outer{};
  if (form_.client_width() > 0 || form_.client_height() > 0) {
    outer = RECT{0, 0, forms::twips_to_pixels(form_.client_width(), dpi_),
                 forms::twips_to_pixels(form_.client_height(), dpi_)};
    AdjustWindowRectEx(&outer, style, FALSE, ex);
  } else {
    GetWindowRect(hwnd_, &outer);
    if (form_.width() > 0) outer.right = outer.left + forms::twips_to_pixels(form_.width(), dpi_);
    if (form_.height() > 0) outer.bottom = outer.top + forms::twips_to_pixels(form_.height(), dpi_);
  }
  applied_client_width_ = form_.client_width();
  applied_client_height_ = form_.client_height();
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  if (form_.start_up_position() == forms::start_up_position::kCenterOwner) {
    if (forms::Form* owner = forms::Form::active_form(); owner && owner != &form_ && owner->hwnd()) {
      GetWindowRect(reinterpret_cast<HWND>(owner->hwnd()), &area);
    }
  }
  int x = 0;
  int y = 0;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  switch (form_.start_up_position()) {
    case forms::start_up_position::kManual:
      x = forms::twips_to_pixels(form_.left(), dpi_);
      y = forms::twips_to_pixels(form_.top(), dpi_);
      break;
    case forms::start_up_position::kCenterOwner:
    case forms::start_up_position::kCenterScreen:
      x = area.left + std::max(0L, (area.right - area.left - width) / 2);
      y = area.top + std::max(0L, (area.bottom - area.top - height) / 2);
      break;
    default: flags |= SWP_NOMOVE; break;
  }
  SetWindowPos(hwnd_, nullptr, x, y, width, height, flags);
  // The model learns the real outer size and place.
  const forms::Bounds real = outer_bounds();
  if (!(real == form_.bounds())) forward([&] { form_.user_moved(real); });
}

forms::Bounds FormWindow::outer_bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return forms::Bounds{forms::pixels_to_twips(r.left, dpi_), forms::pixels_to_twips(r.top, dpi_),
                       forms::pixels_to_twips(r.right - r.left, dpi_),
                       forms::pixels_to_twips(r.bottom - r.top, dpi_)};
}

RECT FormWindow::pixels(const forms::Bounds& b) const {
  const int x = forms::twips_to_pixels(b.left, dpi_);
  const int y = forms::twips_to_pixels(b.top, dpi_);
  return RECT{x, y, x + forms::twips_to_pixels(b.width, dpi_), y + forms::twips_to_pixels(b.height, dpi_)};
}

void FormWindow::build(forms::Control& control) {
  if (control.kind() == ControlKind::Host) {
    auto& host = static_cast<forms::HostControl&>(control);
    if (host_factory_ && !host.object()) host_factory_(host);
    return;
  }
  if (control.kind() == ControlKind::ImageList) return;
  auto view = std::make_unique<View>();
  view->control = &control;
  const auto& all = form_.controls();
  view->id = kFirstControlId + static_cast<int>(std::find(all.begin(), all.end(), &control) - all.begin());
  HWND parent = control.container() ? window_of(*control.container()) : hwnd_;
  View& placed = *views_.emplace(&control, std::move(view)).first->second;
  create_child(placed, parent);
  apply_all(placed);
}

HWND FormWindow::create_child(View& view, HWND parent) {
  forms::Control& c = *view.control;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex = 0;
  const wchar_t* cls = nullptr;
  RECT r = pixels(c.bounds());
  switch (c.kind()) {
    case ControlKind::Label: {
      const auto& label = static_cast<const forms::Label&>(c);
      cls = WC_STATICW;
      style |= SS_NOTIFY;
      style |= label.alignment() == 1 ? SS_RIGHT : label.alignment() == 2 ? SS_CENTER : SS_LEFT;
      if (!label.use_mnemonic()) style |= SS_NOPREFIX;
      if (label.border_style() == 1) style |= SS_SUNKEN;
      break;
    }
    case ControlKind::CheckBox:
      cls = WC_BUTTONW;
      style |= BS_3STATE | WS_TABSTOP;
      break;
    case ControlKind::CommandButton:
      cls = WC_BUTTONW;
      style |= WS_TABSTOP | (static_cast<const forms::CommandButton&>(c).is_default() ? BS_DEFPUSHBUTTON
                                                                                      : BS_PUSHBUTTON);
      break;
    case ControlKind::TextBox: {
      const auto& box = static_cast<const forms::TextBox&>(c);
      cls = WC_EDITW;
      ex |= WS_EX_CLIENTEDGE;
      style |= WS_TABSTOP;
      if (box.multi_line()) {
        style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
        if (box.scroll_bars() & 1) style |= WS_HSCROLL | ES_AUTOHSCROLL;
        if (box.scroll_bars() & 2) style |= WS_VSCROLL;
      } else {
        style |= ES_AUTOHSCROLL;
      }
      break;
    }
    case ControlKind::ComboBox:
      cls = WC_COMBOBOXW;
      style |= WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
               (static_cast<const forms::ComboBox&>(c).style() == forms::combo_style::kDropdownList ? CBS_DROPDOWNLIST
                                                                                                     : CBS_DROPDOWN);
      r.bottom += kComboDropHeight;
      break;
    case ControlKind::TabStrip:
      cls = WC_TABCONTROLW;
      style |= WS_TABSTOP;
      break;
    case ControlKind::Frame:
      // Not WS_CLIPCHILDREN: the group box that fills the container paints no
      // background of its own, so the container erases under it.
      cls = kFrameClass;
      ex |= WS_EX_CONTROLPARENT;
      break;
    case ControlKind::Image:
      cls = WC_STATICW;
      style |= SS_ICON | SS_NOTIFY | SS_CENTERIMAGE;
      break;
    case ControlKind::ListView: {
      static constexpr DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
      cls = WC_LISTVIEWW;
      ex |= WS_EX_CLIENTEDGE;
      style |= WS_TABSTOP | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_OWNERDATA |
               kViews[static_cast<const forms::ListView&>(c).view()];
      break;
    }
    case ControlKind::TreeView:
      cls = WC_TREEVIEWW;
      ex |= WS_EX_CLIENTEDGE;
      style |= WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
      break;
    default: return nullptr;
  }
  if (c.visible()) style |= WS_VISIBLE;
  HWND hwnd = CreateWindowExW(ex, cls, nullptr, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(view.id)), module_instance(), nullptr);
  if (!hwnd) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot create the control " + c.name());
  view.hwnd = hwnd;
  by_window_[hwnd] = &view;
  // Subclassed by the window procedure itself: comctl32's SetWindowSubclass
  // looks its chain up in a window property on every message, which under
  // Wine is a trip to the server (about 80 us a message, a tree of 10,000
  // packages spent most of its load there).
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  view.original_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&control_proc)));
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  if (c.kind() == ControlKind::Frame) {
    view.box = CreateWindowExW(0, WC_BUTTONW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0,
                               r.right - r.left, r.bottom - r.top, hwnd, nullptr, module_instance(), nullptr);
    SendMessageW(view.box, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  if (c.kind() == ControlKind::ListView) {
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_LABELTIP, LVS_EX_LABELTIP);
  }
  if (c.kind() == ControlKind::TabStrip) {
    // The controls of a tab sit on the tab strip as its siblings and paint
    // their backgrounds in the button face colour, as the form does; a themed
    // tab strip (Wine themes it in any process, Windows in one with version 6
    // of the common controls) paints its page in the theme's pane colour
    // instead, so each check box and frame would sit in a band of its own.
    // No theme has a class named " " (Wine refuses an empty name).
    SetWindowTheme(hwnd, L" ", L" ");
  }
  return hwnd;
}

void FormWindow::apply_all(View& view) {
  Applying applying(*this);
  apply_caption(view);
  apply_text(view);
  apply_value(view);
  apply_enabled(view);
  apply_tooltip(view);
  apply_font(view);
  apply_max_length(view);
  apply_picture(view);
  apply_list(view);
  apply_tabs(view);
  if (view.control->kind() == ControlKind::ListView) {
    apply_image_lists(view);
    apply_columns(view);
    show_rows(view);
  }
  if (view.control->kind() == ControlKind::TreeView) {
    apply_image_lists(view);
    reload_tree(view);
  }
}

void FormWindow::restack(const forms::Frame* container) {
  HWND after = HWND_TOP;
  for (forms::Control* c : form_.stacking(container)) {
    HWND window = window_of(*c);
    if (!window) continue;
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    after = window;
  }
  if (container) {
    if (const auto it = views_.find(container); it != views_.end() && it->second->box) {
      SetWindowPos(it->second->box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void FormWindow::recreate(View& view) {
  if (view.control->kind() == ControlKind::Frame) return;
  const bool had_focus = GetFocus() == view.hwnd;
  if (view.has_tip && tooltip_) {
    TTTOOLINFOW tool = tool_info(hwnd_, view.hwnd);
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    view.has_tip = false;
  }
  HWND parent = GetParent(view.hwnd);
  HWND old = view.hwnd;
  by_window_.erase(old);
  view.hwnd = nullptr;
  DestroyWindow(old);
  view.items.clear();
  view.redraw_held = false;
  create_child(view, parent);
  apply_all(view);
  restack(view.control->container());
  if (had_focus) SetFocus(view.hwnd);
}

}  // namespace pendrel::win32::ui
