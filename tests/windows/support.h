// Shared by the Windows tests: the apartment, classes created by ProgID, and
// windows found by their handles and driven by messages taken from the queue
// by a plain loop, as a host's is.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/text.h"
#include "fake_dispatch.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/handles.h"
#include "window_driver.h"

namespace pendrel {
// Readable failure messages: kind index and the value as the fakes show it.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << "kind " << static_cast<int>(v.kind()) << " " << to_ansi(fakes::CallLog::describe(v));
}
}  // namespace pendrel

namespace pendrel::win32::testing {

// One single-threaded apartment for the test's lifetime.
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

// A new object of a registered class, created as a script does (by its
// ProgID), reached through pendrel::Dispatch.
inline DispatchPtr create(const wchar_t* prog_id) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  EXPECT_EQ(hr, S_OK) << to_ansi(prog_id) << " is not registered";
  com_ptr<IDispatch> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  EXPECT_EQ(hr, S_OK) << std::hex << "CoCreateInstance hr " << hr;
  return object ? wrap_dispatch(object.get()) : nullptr;
}

// The reference host over a fixture file: its DomainObject and Computer PC042.
struct FixtureHost {
  DispatchPtr domain, computer;
};
inline FixtureHost fixture_host(const std::wstring& fixture) {
  DispatchPtr domain = create(L"PendrelHost.DomainObject");
  if (!domain) return {};
  domain->call(L"OpenFixture", {fixture});
  return {domain, domain->call(L"GetComputer", {std::wstring(L"PC042")}).object()};
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
  return driver::wait_for(done, timeout_ms);
}

using driver::class_of;
using driver::text_of;

// A recording Computer's trace line for a call of Get/SetRegistryValue on a
// key of HKEY_LOCAL_MACHINE\SOFTWARE\Vyx\Gina: `value` as the trace shows it.
inline std::wstring registry_line(const wchar_t* get_or_set, const std::wstring& key, const std::wstring& name,
                                  const std::wstring& value) {
  return std::wstring(L"call Computer.") + get_or_set + L"RegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\" + key +
         L"\", \"" + name + L"\", " + value + L")";
}

// A class created by ProgID, handed the host's objects and shown modeless, as
// a console opens it; the queue has run once.
inline DispatchPtr show_form(const wchar_t* prog_id, const DispatchPtr& domain, const DispatchPtr& computer) {
  DispatchPtr form = create(prog_id);
  if (!form) throw std::runtime_error(to_ansi(prog_id) + " not created");
  if (domain) form->set(L"DomainObject", domain);
  form->set(L"Computer", computer);
  form->call(L"Show");
  pump();
  return form;
}

// The window a Form's hwnd member names.
inline HWND hwnd_of(const DispatchPtr& form) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(form->get(L"hwnd").to_long()));
}

// The child windows of one class, from the top of the window down.
inline std::vector<HWND> children_of_class(HWND parent, const wchar_t* cls) {
  std::vector<HWND> found = driver::descendants(parent, cls);
  const auto top = [](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r.top;
  };
  std::sort(found.begin(), found.end(), [&](HWND a, HWND b) { return top(a) < top(b); });
  return found;
}

// What is under the middle of a window.
inline HWND under_middle_of(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// A mouse click in the middle of a tab, taken from the queue.
inline void click_tab(HWND tabs, int index) {
  driver::click_tab(tabs, index);
  pump();
}

inline void select_row(HWND list, int row) {
  LVITEMW state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  pump();
}

inline void click(HWND button) {
  ASSERT_TRUE(button);
  SendMessageW(button, BM_CLICK, 0, 0);
  pump();
}

// Each row of a list view top to bottom, its first `columns` texts joined by '|'.
inline std::vector<std::wstring> rows_of(HWND list, int columns = 1) { return driver::rows_of(list, columns, L"|"); }

// The visible dialog box ("#32770") of this process; null when none.
inline HWND shown_dialog() { return driver::shown_box(GetCurrentProcessId()); }

// Runs `step` every 25 ms from whatever loop runs (a modal window's or
// dialog's own included) until it returns true or this goes out of scope.
class TimerAction {
 public:
  explicit TimerAction(std::function<bool()> step) : step_(std::move(step)) {
    id_ = SetTimer(nullptr, 0, 25, &tick);
    running()[id_] = this;
  }
  ~TimerAction() {
    KillTimer(nullptr, id_);
    running().erase(id_);
  }
  TimerAction(const TimerAction&) = delete;
  TimerAction& operator=(const TimerAction&) = delete;

 private:
  static std::map<UINT_PTR, TimerAction*>& running() {
    static std::map<UINT_PTR, TimerAction*> actions;
    return actions;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = running().find(id);
    if (it == running().end() || it->second->done_) return;
    it->second->done_ = it->second->step_();
  }

  std::function<bool()> step_;
  bool done_ = false;
  UINT_PTR id_ = 0;
};

// A TimerAction step that works each dialog box of this thread as it shows:
// `action` runs once the box has painted; a box still open a second after it
// is a failure and is cancelled.
inline std::function<bool()> each_dialog(std::function<void(HWND)> action) {
  return [action = std::move(action), acted_on = HWND{}, ticks = 0]() mutable {
    HWND dialog = shown_dialog();
    if (!dialog) return false;
    if (dialog != acted_on) {
      if (++ticks < 4) return false;
      acted_on = dialog;
      ticks = 0;
      action(dialog);
    } else if (++ticks == 40) {
      ADD_FAILURE() << "the dialog \"" << to_ansi(text_of(dialog)) << "\" stayed open";
      SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    }
    return false;
  };
}

}  // namespace pendrel::win32::testing
