// Shared by the tests that drive our registered windows as a client does:
// classes created by ProgID and called late-bound, windows found by their
// handles and driven by messages taken from the queue by a plain loop.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/text.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"

namespace pendrel::win32::testing {

class ComApartment {
 public:
  ComApartment() { hr_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT hr_;
};

// A new object of a registered class, reached through its IDispatch only.
inline DispatchPtr create(const wchar_t* prog_id) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  EXPECT_EQ(hr, S_OK) << "not registered";
  com_ptr<IDispatch> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  EXPECT_EQ(hr, S_OK) << std::hex << "CoCreateInstance hr " << hr;
  return object ? wrap_dispatch(object.get()) : nullptr;
}

// A host's message loop: it knows nothing of our windows.
inline void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps until `done` holds or the time is up; returns `done`.
inline bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 10000) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  for (;;) {
    pump();
    if (done()) return true;
    if (GetTickCount64() >= until) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

inline std::wstring text_of(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

inline std::wstring class_of(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

// The child windows of one class, from the top of the window down.
inline std::vector<HWND> children_of_class(HWND parent, const std::wstring& cls) {
  std::vector<HWND> found;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (class_of(w) == cls) found.push_back(w);
  }
  std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return found;
}

// A thread window of a class (e.g. "#32770") owned by `owner`; null when none.
inline HWND owned_window(HWND owner, const wchar_t* cls) {
  struct Search {
    HWND owner;
    const wchar_t* cls;
    HWND found;
  } search{owner, cls, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (class_of(w) != s.cls || GetWindow(w, GW_OWNER) != s.owner) return TRUE;
        s.found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace pendrel::win32::testing
