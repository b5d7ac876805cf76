// Shared by the Windows tests: the apartment, our servers' registration and
// exports, classes created by ProgID, and windows found by their handles and
// driven by messages taken from the queue by a plain loop, as a host's is.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/text.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/handles.h"
#include "window_driver.h"

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

// A new object of a registered class, created as a script does: by its ProgID.
inline com_ptr<IDispatch> create_dispatch(const wchar_t* prog_id) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  EXPECT_EQ(hr, S_OK) << to_ansi(prog_id) << " is not registered";
  com_ptr<IDispatch> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  EXPECT_EQ(hr, S_OK) << std::hex << "CoCreateInstance hr " << hr;
  return object;
}

// The same, reached through pendrel::Dispatch.
inline DispatchPtr create(const wchar_t* prog_id) {
  com_ptr<IDispatch> object = create_dispatch(prog_id);
  return object ? wrap_dispatch(object.get()) : nullptr;
}

// ---- Registration and exports of our in-process servers.

// A file beside the test program.
inline std::wstring beside_exe(const wchar_t* file) {
  wchar_t exe[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring path(exe, n);
  return path.substr(0, path.find_last_of(L'\\') + 1) + file;
}

inline std::wstring lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// A text value under HKEY_CLASSES_ROOT, or "<absent>".
inline std::wstring read_text(const std::wstring& key, const wchar_t* name = nullptr) {
  unique_hkey hkey;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, hkey.put()) != ERROR_SUCCESS) return L"<absent>";
  wchar_t value[512] = L"<poisoned>";
  DWORD size = sizeof(value) - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(hkey.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
    return L"<no value>";
  }
  return type == REG_SZ ? value : L"<not text>";
}

inline bool key_exists(const std::wstring& key) {
  unique_hkey hkey;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, hkey.put()) == ERROR_SUCCESS;
}

// regsvr32's exit code for `dll`.
inline DWORD run_regsvr32(const std::wstring& options, const std::wstring& dll) {
  std::wstring command = L"regsvr32.exe " + options + L" \"" + dll + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return GetLastError();
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0xdeadbeef;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

struct RegisteredClass {
  const wchar_t* prog_id;
  const wchar_t* clsid;
  const wchar_t* iid;
};

// What regsvr32 writes for a server: each class by ProgID and CLSID with its
// interface, and the type library (of locale `lcid`) at the DLL.
inline void expect_registered(const std::wstring& dll, const wchar_t* libid, const wchar_t* lcid,
                              std::span<const RegisteredClass> classes) {
  for (const RegisteredClass& c : classes) {
    SCOPED_TRACE(to_ansi(c.prog_id));
    const std::wstring clsid_key = std::wstring(L"CLSID\\") + c.clsid;
    EXPECT_EQ(read_text(std::wstring(c.prog_id) + L"\\CLSID"), c.clsid);
    EXPECT_EQ(read_text(clsid_key + L"\\ProgID"), c.prog_id);
    EXPECT_EQ(lower(read_text(clsid_key + L"\\InprocServer32")), lower(dll));
    EXPECT_EQ(read_text(clsid_key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(read_text(clsid_key + L"\\TypeLib"), libid);
    EXPECT_TRUE(key_exists(std::wstring(L"Interface\\") + c.iid));
  }
  EXPECT_EQ(lower(read_text(std::wstring(L"TypeLib\\") + libid + L"\\1.0\\" + lcid + L"\\win64")), lower(dll));
}

// regsvr32 /u removes all of it (and, run again, still succeeds); regsvr32
// writes it again.
inline void expect_regsvr32_round_trip(const std::wstring& dll, const wchar_t* libid, const wchar_t* lcid,
                                       std::span<const RegisteredClass> classes) {
  expect_registered(dll, libid, lcid, classes);
  ASSERT_EQ(run_regsvr32(L"/s /u", dll), 0u);
  for (const RegisteredClass& c : classes) {
    EXPECT_FALSE(key_exists(std::wstring(L"CLSID\\") + c.clsid)) << to_ansi(c.prog_id);
    EXPECT_FALSE(key_exists(c.prog_id));
    EXPECT_FALSE(key_exists(std::wstring(L"Interface\\") + c.iid)) << to_ansi(c.prog_id);
  }
  EXPECT_FALSE(key_exists(std::wstring(L"TypeLib\\") + libid));
  EXPECT_EQ(run_regsvr32(L"/s /u", dll), 0u);
  ASSERT_EQ(run_regsvr32(L"/s", dll), 0u);
  expect_registered(dll, libid, lcid, classes);
}

// The server's own DllCanUnloadNow and DllGetClassObject, loaded beside COM's copy.
struct ServerExports {
  explicit ServerExports(const std::wstring& path) : dll(LoadLibraryW(path.c_str())) {
    can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllCanUnloadNow")));
    get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllGetClassObject")));
  }
  unique_hmodule dll;
  HRESULT(STDAPICALLTYPE* can_unload)() = nullptr;
  HRESULT(STDAPICALLTYPE* get_class_object)(REFCLSID, REFIID, void**) = nullptr;
};

// DllCanUnloadNow says S_FALSE while a class factory, an object (of two) or
// a lock is alive, S_OK once none is.
inline void expect_unload_only_when_free(const ServerExports& server, REFCLSID clsid, REFIID iid) {
  ASSERT_TRUE(server.can_unload && server.get_class_object);
  EXPECT_EQ(server.can_unload(), S_OK);
  com_ptr<IClassFactory> factory;
  ASSERT_EQ(server.get_class_object(clsid, IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(server.can_unload(), S_FALSE);  // the factory
  com_ptr<IUnknown> first, second;
  ASSERT_EQ(factory->CreateInstance(nullptr, iid, first.put_void()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, iid, second.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  first.reset();
  EXPECT_EQ(server.can_unload(), S_FALSE);  // an object and the lock
  second.reset();
  EXPECT_EQ(server.can_unload(), S_FALSE);  // the lock
  ASSERT_EQ(server.get_class_object(clsid, IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(server.can_unload(), S_FALSE);  // the factory
  factory.reset();
  EXPECT_EQ(server.can_unload(), S_OK);
}

// ---- Windows.

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

// The window a Form's hwnd member names.
inline HWND hwnd_of(const DispatchPtr& form) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(form->get(L"hwnd").to_long()));
}

// The child windows of one class, from the top of the window down.
inline std::vector<HWND> children_of_class(HWND parent, const std::wstring& cls) {
  std::vector<HWND> found;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (class_of(w) == cls) found.push_back(w);
  }
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

// The tab control's own notification of a selection made with TCM_SETCURSEL.
inline void select_tab(HWND tabs, int index) {
  SendMessageW(tabs, TCM_SETCURSEL, index, 0);
  NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(tabs), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
  pump();
}

inline void click_column(HWND list, int column) {
  NMLISTVIEW click{};
  click.hdr = NMHDR{list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(LVN_COLUMNCLICK)};
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
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

// A key pressed in `focus`, taken from the queue.
inline void press(HWND focus, UINT key) {
  SetFocus(focus);
  driver::press_key(focus, key);
  pump();
}

inline std::wstring row_text(HWND list, int row, int column = 0) { return driver::list_text(list, row, column); }

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

// The visible labels, check boxes, buttons and frame captions of a window
// whose text does not fit, each as "caption: needs N px, has M"
// (window_checks.cpp, library pendrel_window_checks).
std::vector<std::wstring> clipped_captions(HWND window);
// What a shown window draws wrong, read back from the screen: a close button
// without its cross, a tab page in another colour than its controls.
std::vector<std::wstring> drawing_faults(HWND window);

}  // namespace pendrel::win32::testing
