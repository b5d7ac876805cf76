// Registry and export checks shared by the tests of our in-process servers.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

#include "platform/win32/handles.h"

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

}  // namespace pendrel::win32::testing
