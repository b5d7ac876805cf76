// FormWindow's life and lookups: the thread's forms, creating the window with
// its controls, destroying it, and finding the control of a window.
#include "platform/win32/ui/form_window.h"

#include <vector>

#include "core/error.h"
#include "forms/frame.h"
#include "platform/win32/ui/fonts.h"
#include "platform/win32/ui/window_basics.h"

namespace pendrel::win32::ui {

using forms::ControlKind;

namespace {

// The forms with a window on this thread, for the keyboard hook.
thread_local std::vector<FormWindow*> thread_forms;

}  // namespace

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
  hook_keyboard();
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
  if (thread_forms.empty()) unhook_keyboard();
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

}  // namespace pendrel::win32::ui
