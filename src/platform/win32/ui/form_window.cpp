#include "platform/win32/ui/form_window.h"

#include <algorithm>
#include <string>

#include "core/error.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "forms/tree_view.h"
#include "platform/win32/ui/callback_guard.h"
#include "platform/win32/ui/fonts.h"
#include "platform/win32/ui/picture_art.h"

namespace pendrel::win32::ui {

using forms::ControlKind;
using forms::Property;

namespace {

constexpr wchar_t kFormClass[] = L"PendrelForm";
constexpr wchar_t kFrameClass[] = L"PendrelFrame";
constexpr int kFirstControlId = 100;
// The open list of a combo box below its edit field, pixels.
constexpr int kComboDropHeight = 160;

thread_local int app_pointer = 0;
// The forms with a window on this thread, for the keyboard hook.
thread_local std::vector<FormWindow*> thread_forms;
thread_local unique_hhook keyboard_hook;

HINSTANCE module_instance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&module_instance), &module);
  return module;
}

void register_class(const wchar_t* name, WNDPROC proc) {
  const HINSTANCE instance = module_instance();
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  // Another thread may have registered it meanwhile.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot register the window class");
  }
}

std::wstring window_text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A tool of the form's tooltip window: the whole of one control.
TTTOOLINFOW tool_info(HWND form, HWND control) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

void set_text(HWND window, const std::wstring& text) {
  if (window_text(window) != text) SetWindowTextW(window, text.c_str());
}

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

// VB's tool-window borders, beyond the ones the forms name.
constexpr int kFixedToolWindow = 4;
constexpr int kSizableToolWindow = 5;

DWORD form_style(int border_style) {
  switch (border_style) {
    case forms::border_style::kNone: return WS_POPUP | WS_CLIPCHILDREN;
    case forms::border_style::kFixedSingle: return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    case forms::border_style::kFixedDialog:
    case kFixedToolWindow: return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    default: return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  }
}

DWORD form_ex_style(int border_style) {
  DWORD ex = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  if (border_style == forms::border_style::kFixedDialog) ex |= WS_EX_DLGMODALFRAME;
  if (border_style == kFixedToolWindow || border_style == kSizableToolWindow) ex |= WS_EX_TOOLWINDOW;
  return ex;
}

}  // namespace

int application_pointer() { return app_pointer; }

void set_application_pointer(int pointer) { app_pointer = pointer; }

FormWindow* FormWindow::of_window(HWND top) {
  if (!top) return nullptr;
  for (FormWindow* w : thread_forms) {
    if (w->hwnd_ == top) return w;
  }
  return nullptr;
}

FormWindow::FormWindow(forms::Form& form, HostControlFactory host_factory)
    : form_(form), host_factory_(std::move(host_factory)) {}

FormWindow::~FormWindow() {
  *alive_ = false;
  destroy();
}

bool FormWindow::forward(const std::function<void()>& call) {
  const std::shared_ptr<bool> alive = alive_;
  call();
  return *alive && hwnd_;
}

// Building

void FormWindow::create() {
  if (hwnd_) return;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                            ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  register_class(kFormClass, form_proc);
  register_class(kFrameClass, DefWindowProcW);
  {
    window_dc screen(nullptr);
    dpi_ = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  }
  LOGFONTW face = form_font(form_.font(), dpi_);
  font_.reset(CreateFontIndirectW(&face));
  face.lfUnderline = TRUE;
  underline_font_.reset(CreateFontIndirectW(&face));

  Applying applying(*this);
  const int border = form_.border_style();
  HWND created = CreateWindowExW(form_ex_style(border), kFormClass, form_.caption().c_str(), form_style(border),
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 module_instance(), this);
  if (!created) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot create the window");
  thread_forms.push_back(this);
  if (!keyboard_hook) {
    keyboard_hook.reset(SetWindowsHookExW(WH_GETMESSAGE, keyboard_proc, nullptr, GetCurrentThreadId()));
  }
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             module_instance(), nullptr);
  if (tooltip_) SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi_, 96));
  place_window();
  for (forms::Control* control : form_.controls()) build(*control);
  restack(nullptr);
  for (forms::Control* control : form_.controls()) {
    if (control->kind() == ControlKind::Frame) restack(static_cast<forms::Frame*>(control));
  }
}

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
  SetWindowSubclass(hwnd, control_proc, 0, reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  if (c.kind() == ControlKind::Frame) {
    view.box = CreateWindowExW(0, WC_BUTTONW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0,
                               r.right - r.left, r.bottom - r.top, hwnd, nullptr, module_instance(), nullptr);
    SendMessageW(view.box, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  if (c.kind() == ControlKind::ListView) {
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_LABELTIP, LVS_EX_LABELTIP);
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

HWND FormWindow::window_of(const forms::Control& control) const {
  const auto it = views_.find(&control);
  return it == views_.end() ? nullptr : it->second->hwnd;
}

forms::Control* FormWindow::control_of(HWND window) const {
  for (HWND w = window; w && w != hwnd_; w = GetParent(w)) {
    if (const auto it = by_window_.find(w); it != by_window_.end()) return it->second->control;
  }
  return nullptr;
}

// Life

// A modal run waits in GetMessage, which handles messages sent from other
// threads and processes (another program clicking OK) without returning: it
// needs a message of its own to see that its window went.
void FormWindow::wake_modal_run() { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); }

void FormWindow::destroy() {
  restore_disabled();
  if (hwnd_) {
    Applying applying(*this);
    DestroyWindow(hwnd_);
    wake_modal_run();
  }
  hwnd_ = nullptr;
  tooltip_ = nullptr;
  views_.clear();
  by_window_.clear();
  image_lists_.clear();
  std::erase(thread_forms, this);
  if (thread_forms.empty()) keyboard_hook.reset();
}

void FormWindow::show() {
  if (!hwnd_) return;
  Applying applying(*this);
  before_show_ = GetActiveWindow();
  const int state = form_.window_state();
  ShowWindow(hwnd_, state == 1 ? SW_SHOWMINIMIZED : state == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  if (GetActiveWindow() == hwnd_) {
    if (HWND target = focus_target()) SetFocus(target);
  }
  UpdateWindow(hwnd_);
}

HWND FormWindow::focus_target() {
  if (!focus_ || !IsWindow(focus_) || !IsChild(hwnd_, focus_) || !IsWindowEnabled(focus_)) {
    forms::Control* first = form_.next_in_tab_order(nullptr, true);
    focus_ = first ? window_of(*first) : nullptr;
  }
  return focus_;
}

void FormWindow::hide() {
  if (!hwnd_) return;
  restore_disabled();
  Applying applying(*this);
  ShowWindow(hwnd_, SW_HIDE);
  wake_modal_run();
}

void FormWindow::restore_disabled() {
  for (HWND w : disabled_) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
  disabled_.clear();
}

void FormWindow::run_modal() {
  if (!hwnd_) return;
  const std::shared_ptr<bool> alive = alive_;
  HWND self = hwnd_;
  HWND before = before_show_ && IsWindow(before_show_) && before_show_ != self ? before_show_ : nullptr;
  // Like a modal dialog: the thread's other windows take no input meanwhile.
  struct Collect {
    HWND self;
    std::vector<HWND>* out;
  } collect{self, &disabled_};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM param) -> BOOL {
        auto* c = reinterpret_cast<Collect*>(param);
        return guard_callback(c->self, FALSE, [&] {
          if (w != c->self && GetWindow(w, GW_OWNER) != c->self && IsWindowVisible(w) && IsWindowEnabled(w)) {
            c->out->push_back(w);
          }
          return TRUE;
        });
      },
      reinterpret_cast<LPARAM>(&collect));
  for (HWND w : disabled_) EnableWindow(w, FALSE);
  if (before) SetWindowLongPtrW(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(before));

  MSG msg;
  while (*alive && form_.loaded() && form_.visible() && hwnd_ == self) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    // Our keys were taken by the keyboard hook already.
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!*alive) return;
  restore_disabled();
  if (before && IsWindow(self)) SetWindowLongPtrW(self, GWLP_HWNDPARENT, 0);
  if (before && IsWindow(before) && IsWindowVisible(before)) SetActiveWindow(before);
}

void FormWindow::zorder(int position) {
  if (!hwnd_) return;
  Applying applying(*this);
  SetWindowPos(hwnd_, position == 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormWindow::refresh(const forms::Control* control) {
  if (!hwnd_) return;
  release_redraw();
  HWND target = control ? window_of(*control) : hwnd_;
  if (target) RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The model's changes

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

// Window procedures

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

LRESULT CALLBACK FormWindow::control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<FormWindow*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, control_proc, 0);
    self->by_window_.erase(hwnd);
    return DefSubclassProc(hwnd, message, wparam, lparam);
  }
  const auto it = self->by_window_.find(hwnd);
  if (it == self->by_window_.end()) return DefSubclassProc(hwnd, message, wparam, lparam);
  View& view = *it->second;
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
  return DefSubclassProc(hwnd, message, wparam, lparam);
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
