// Works the logon window of another process the way a user would, with
// window messages only: logon_driver ok | esc.
//   ok:  clicks the third tab with the mouse and, when the tab control then
//        reports it selected, clicks "&OK"; otherwise presses Esc so that the
//        script sees nothing written.
//   esc: presses Esc in the focused control.
// Exits 0 when the window was hidden afterwards.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr wchar_t kTitle[] = L"Interactive Logon Properties of PC042";

// Polls `done` every 50 ms for up to `timeout_ms`; returns whether it held.
template <class Done>
bool wait_for(Done done, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done()) {
    if (GetTickCount64() >= until) return false;
    Sleep(50);
  }
  return true;
}

// A tab's rectangle, read through memory in the window's process.
bool tab_rect(HWND tabs, int index, RECT& rect) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tabs, &pid);
  const std::unique_ptr<void, decltype(&CloseHandle)> process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid), &CloseHandle);
  if (!process) return false;
  void* remote = VirtualAllocEx(process.get(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  const bool read = SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)) &&
                    ReadProcessMemory(process.get(), remote, &rect, sizeof rect, nullptr);
  VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return read;
}

void press_escape(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) target = info.hwndFocus;
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

bool ok_after_tab_click(HWND window) {
  HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
  RECT rect{};
  if (!tabs || !tab_rect(tabs, 2, rect)) {
    std::puts("FAIL driver: no tab control or tab rectangle");
    return false;
  }
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tabs, WM_LBUTTONUP, 0, at);
  if (!wait_for([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 2; }, 5000)) {
    std::puts("FAIL driver: the tab click did not select the third tab");
    return false;
  }
  HWND ok = FindWindowExW(window, nullptr, L"Button", L"&OK");
  if (!ok) {
    std::puts("FAIL driver: no &OK button");
    return false;
  }
  // Sent, as another program drives a window: the modal Show must return
  // although no message of its own arrives in its queue.
  SendMessageW(ok, BM_CLICK, 0, 0);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool ok = argc > 1 && std::strcmp(argv[1], "ok") == 0;
  HWND window = nullptr;
  if (!wait_for([&] { return (window = FindWindowW(nullptr, kTitle)) && IsWindowVisible(window); }, 20000)) return 2;
  // Let the activation fill the lists before acting.
  Sleep(500);
  if (!ok || !ok_after_tab_click(window)) press_escape(window);
  if (wait_for([&] { return !IsWindowVisible(window); }, 10000)) return 0;
  press_escape(window);
  return 1;
}
