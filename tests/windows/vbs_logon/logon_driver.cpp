// Works the logon window of another process the way a user would, with
// window messages only: logon_driver ok | browse.
//   ok:     clicks the third tab with the mouse and, once the tab control
//           reports it selected, clicks "&OK".
//   browse: clicks "&Add ..." and cancels the browse dialog; clicks it again,
//           the dialog's first row and its OK; then clicks "&OK".
// A step that cannot be taken presses Esc, so that the script sees nothing
// written. Exits 0 when the window was hidden.
#include <string_view>

#include "window_driver.h"

namespace {

using namespace pendrel::driver;

// Sent, as another program drives a window: the modal Show must return
// although no message of its own arrives in its queue.
bool click_ok(HWND window) {
  HWND ok = FindWindowExW(window, nullptr, WC_BUTTONW, L"&OK");
  if (ok) SendMessageW(ok, BM_CLICK, 0, 0);
  return ok != nullptr;
}

// The visible one of the controls of that class and text.
HWND visible(HWND window, const wchar_t* class_name, const wchar_t* text = nullptr) {
  for (HWND control : descendants(window, class_name, text)) {
    if (IsWindowVisible(control)) return control;
  }
  return nullptr;
}

bool ok_after_tab_click(HWND window) {
  HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
  return click_tab(tabs, 2) && wait_for([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 2; }) &&
         click_ok(window);
}

bool browse(HWND window, bool confirm) {
  HWND add = visible(window, WC_BUTTONW, L"&Add ...");
  if (!add) return false;
  post_click(add);
  HWND dialog = visible_window(L"Select Users/Groups to watch for Logons", 5000);
  if (!dialog || GetWindow(dialog, GW_OWNER) != window) return false;
  if (confirm && !click_row(descendant(dialog, WC_LISTVIEWW), 0)) return false;
  post_click(GetDlgItem(dialog, confirm ? IDOK : IDCANCEL));
  return wait_for([&] { return !IsWindow(dialog); });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  HWND window = visible_window(L"Interactive Logon Properties of PC042", 20000);
  if (!window) return 2;
  // Let the activation fill the lists before acting.
  Sleep(500);
  bool acted = false;
  if (mode == "ok") acted = ok_after_tab_click(window);
  if (mode == "browse") acted = browse(window, false) && browse(window, true) && click_ok(window);
  if (!acted) press_key(focus_of(window), VK_ESCAPE);
  if (wait_closed(window)) return 0;
  press_key(focus_of(window), VK_ESCAPE);
  return 1;
}
