// Works the logon window of another process the way a user would, with
// window messages only: logon_driver ok | esc | sort-delete-enter | browse.
//   ok:     clicks the third tab with the mouse and, once the tab control
//           reports it selected, clicks "&OK".
//   esc:    presses Esc in the focused control.
//   sort-delete-enter: on the first tab clicks the first column's header,
//           the second row, "&Delete" and the first row, then presses Enter.
//   browse: clicks "&Add ..." and cancels the browse dialog; clicks it again,
//           the dialog's first row and its OK; then clicks "&OK".
// A step that cannot be taken prints "FAIL driver: ..." and presses Esc, so
// that the script sees nothing written. Exits 0 when the window was hidden.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string_view>

namespace {

constexpr wchar_t kTitle[] = L"Interactive Logon Properties of PC042";
constexpr wchar_t kBrowseTitle[] = L"Select Users/Groups to watch for Logons";
constexpr int kBrowseListId = 1002;

// Polls `done` every 50 ms for up to `timeout_ms`; returns whether it held.
template <class Done>
bool wait_for(Done done, DWORD timeout_ms = 5000) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done()) {
    if (GetTickCount64() >= until) return false;
    Sleep(50);
  }
  return true;
}

bool fail(const char* why) {
  std::printf("FAIL driver: %s\n", why);
  return false;
}

// Sends a message whose lParam points to `data` in the window's process:
// `data` is copied there first and read back with the answer.
template <class T>
bool send_remote(HWND window, UINT message, WPARAM wparam, T& data) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const std::unique_ptr<void, decltype(&CloseHandle)> process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid), &CloseHandle);
  if (!process) return false;
  void* remote = VirtualAllocEx(process.get(), nullptr, sizeof(T), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  const bool answered = WriteProcessMemory(process.get(), remote, &data, sizeof data, nullptr) &&
                        SendMessageW(window, message, wparam, reinterpret_cast<LPARAM>(remote)) &&
                        ReadProcessMemory(process.get(), remote, &data, sizeof data, nullptr);
  VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return answered;
}

HWND visible_window(const wchar_t* title, DWORD timeout_ms) {
  HWND window = nullptr;
  wait_for([&] { return (window = FindWindowW(nullptr, title)) && IsWindowVisible(window); }, timeout_ms);
  return window && IsWindowVisible(window) ? window : nullptr;
}

// The visible descendant of `root` of that class, and of that text when given.
HWND find_visible(HWND root, const wchar_t* class_name, const wchar_t* text = nullptr) {
  struct Search {
    const wchar_t* class_name;
    const wchar_t* text;
    HWND found;
  } search{class_name, text, nullptr};
  EnumChildWindows(
      root,
      [](HWND child, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        wchar_t buffer[64] = {};
        GetClassNameW(child, buffer, 64);
        if (lstrcmpiW(buffer, s.class_name) != 0 || !IsWindowVisible(child)) return TRUE;
        GetWindowTextW(child, buffer, 64);
        if (s.text && std::wstring_view(buffer) != s.text) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void click_in(HWND window, const RECT& rect) {
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void press_key(HWND window, WPARAM key) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) target = info.hwndFocus;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

bool click_row(HWND list, int row) {
  RECT rect{};
  rect.left = LVIR_LABEL;
  if (!send_remote(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), rect)) return fail("no rectangle for the row");
  click_in(list, rect);
  return wait_for([&] { return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == row; }) ||
         fail("the row click did not select the row");
}

// Sent, as another program drives a window: the modal Show must return
// although no message of its own arrives in its queue.
bool click_ok(HWND window) {
  HWND ok = FindWindowExW(window, nullptr, L"Button", L"&OK");
  if (!ok) return fail("no &OK button");
  SendMessageW(ok, BM_CLICK, 0, 0);
  return true;
}

bool ok_after_tab_click(HWND window) {
  HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
  RECT rect{};
  if (!tabs || !send_remote(tabs, TCM_GETITEMRECT, 2, rect)) return fail("no tab control or tab rectangle");
  click_in(tabs, rect);
  if (!wait_for([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 2; })) {
    return fail("the tab click did not select the third tab");
  }
  return click_ok(window);
}

bool sort_delete_enter(HWND window) {
  HWND list = find_visible(window, WC_LISTVIEWW);
  HWND header = list ? reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
  HWND remove = find_visible(window, L"Button", L"&Delete");
  RECT rect{};
  if (!header || !remove || !send_remote(header, HDM_GETITEMRECT, 0, rect)) return fail("no list, header or &Delete");
  click_in(header, rect);
  if (!click_row(list, 1)) return false;
  SendMessageW(remove, BM_CLICK, 0, 0);
  if (!wait_for([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; })) return fail("no row was deleted");
  if (!click_row(list, 0)) return false;
  press_key(window, VK_RETURN);
  return true;
}

bool browse(HWND window, bool confirm) {
  HWND add = find_visible(window, L"Button", L"&Add ...");
  if (!add) return fail("no &Add ... button");
  // Posted: the click runs the dialog's own message loop.
  PostMessageW(add, BM_CLICK, 0, 0);
  HWND dialog = visible_window(kBrowseTitle, 5000);
  if (!dialog || GetWindow(dialog, GW_OWNER) != window) return fail("no browse dialog owned by the window");
  if (confirm && !click_row(GetDlgItem(dialog, kBrowseListId), 0)) return false;
  PostMessageW(GetDlgItem(dialog, confirm ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
  return wait_for([&] { return !IsWindow(dialog); }) || fail("the browse dialog stayed open");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  HWND window = visible_window(kTitle, 20000);
  if (!window) return 2;
  // Let the activation fill the lists before acting.
  Sleep(500);
  bool acted = false;
  if (mode == "ok") acted = ok_after_tab_click(window);
  if (mode == "sort-delete-enter") acted = sort_delete_enter(window);
  if (mode == "browse") acted = browse(window, false) && browse(window, true) && click_ok(window);
  if (!acted) press_key(window, VK_ESCAPE);
  if (wait_for([&] { return !IsWindowVisible(window); }, 10000)) return 0;
  press_key(window, VK_ESCAPE);
  return 1;
}
