// Showing and hiding a form's window, its modal run, its stacking among the
// thread's windows and repainting.
#include "platform/win32/ui/callback_guard.h"
#include "platform/win32/ui/form_window.h"

namespace pendrel::win32::ui {

// A modal run waits in GetMessage, which handles messages sent from other
// threads and processes (another program clicking OK) without returning: it
// needs a message of its own to see that its window went.
void FormWindow::wake_modal_run() { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); }

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
      [](HWND w, LPARAM param) CALLBACK -> BOOL {
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

}  // namespace pendrel::win32::ui
