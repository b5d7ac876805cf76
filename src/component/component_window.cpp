#include "component/component_window.h"

#include "component/window_system.h"

namespace pendrel::component {

void ComponentWindow::set_OnTop(bool on_top) {
  SetWindowOnTop(window_system_, form(), on_top);
  on_top_ = on_top;
}

void ComponentWindow::set_Computer(DispatchPtr computer) {
  computer_ = std::move(computer);
  computer_set();
}

void SetWindowOnTop(WindowSystem& window_system, forms::Form& window, bool on_top) {
  window_system.SetWindowPos(window.hwnd(), on_top ? kHwndTopmost : kHwndNoTopmost, 0, 0, 0, 0,
                             kSwpNoSize | kSwpNoMove | kSwpNoActivate);
}

}  // namespace pendrel::component
