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

namespace {

constexpr wchar_t kTitle[] = L"Interactive Logon Properties of PC042";

class ProcessHandle {
 public:
  explicit ProcessHandle(HANDLE h) : h_(h) {}
  ~ProcessHandle() {
    if (h_) CloseHandle(h_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// Memory in the window's process, for messages that answer through a pointer.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, SIZE_T size)
      : process_(process), p_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBuffer() {
    if (p_) VirtualFreeEx(process_, p_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  void* get() const { return p_; }

 private:
  HANDLE process_;
  void* p_;
};

HWND wait_for_visible_window(DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (GetTickCount64() < until) {
    HWND w = FindWindowW(nullptr, kTitle);
    if (w && IsWindowVisible(w)) return w;
    Sleep(50);
  }
  return nullptr;
}

bool tab_rect(HWND tabs, int index, RECT& rect) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tabs, &pid);
  ProcessHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (!process.get()) return false;
  RemoteBuffer remote(process.get(), sizeof(RECT));
  if (!remote.get()) return false;
  if (!SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote.get()))) return false;
  return ReadProcessMemory(process.get(), remote.get(), &rect, sizeof rect, nullptr) != FALSE;
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
  const ULONGLONG until = GetTickCount64() + 5000;
  while (SendMessageW(tabs, TCM_GETCURSEL, 0, 0) != 2) {
    if (GetTickCount64() >= until) {
      std::puts("FAIL driver: the tab click did not select the third tab");
      return false;
    }
    Sleep(50);
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
  HWND window = wait_for_visible_window(20000);
  if (!window) return 2;
  // Let the activation fill the lists before acting.
  Sleep(500);
  if (!ok || !ok_after_tab_click(window)) press_escape(window);
  const ULONGLONG until = GetTickCount64() + 10000;
  while (IsWindowVisible(window)) {
    if (GetTickCount64() >= until) {
      press_escape(window);
      return 1;
    }
    Sleep(50);
  }
  return 0;
}
