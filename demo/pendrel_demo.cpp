// The demo: the demo computer's windows through real COM, as a console shows
// them. The reference host describes the computer from a fixture file; the
// three component classes are created by ProgID like any client does.
//
//   pendrel-demo <fixture> <connection string> [--screenshots <folder>]
//
// The connection string is the details window's management database.
// With --screenshots each window is shown in turn and saved as
// <folder>\<window>.png, and the program ends; without it the unavailable
// settings window is shown modally until the user closes it.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/dispatch.h"
#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/ui/screenshot.h"

namespace {

using pendrel::DispatchPtr;
using pendrel::Variant;
using pendrel::win32::com_ptr;

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

DispatchPtr create(const wchar_t* progid) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progid, &clsid);
  com_ptr<IDispatch> object;
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  }
  if (FAILED(hr)) {
    throw pendrel::Error(hr, std::wstring(L"Cannot create ") + progid + L"; is it registered?");
  }
  return pendrel::win32::wrap_dispatch(object.get());
}

// Lets the window paint before its pixels are taken.
void pump_messages(DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  MSG msg;
  while (static_cast<LONG>(until - GetTickCount()) > 0) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

void save(const DispatchPtr& window_class, const std::wstring& folder, const wchar_t* name) {
  window_class->call(L"Show");
  pump_messages(1500);
  auto hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(window_class->get(L"hwnd").to_long()));
  const std::wstring file = folder + L"\\" + name + L".png";
  std::wstring failure = pendrel::win32::ui::save_screenshot(hwnd, file);
  if (!failure.empty()) throw pendrel::Error(5, L"Screenshot " + file + L": " + failure);
  std::wprintf(L"saved %ls\n", file.c_str());
  window_class->call(L"Quit");
}

int run(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: pendrel-demo <fixture> <connection string> [--screenshots <folder>]\n");
    return 2;
  }
  const std::wstring fixture = argv[1];
  const std::wstring database = argv[2];
  const std::wstring screenshots = argc >= 5 && std::wstring(argv[3]) == L"--screenshots" ? argv[4] : L"";

  ComApartment apartment;
  DispatchPtr domain = create(L"PendrelHost.DomainObject");
  domain->call(L"OpenFixture", {fixture});
  DispatchPtr computer = domain->call(L"GetComputer", {std::wstring(L"PC042")}).to_object();
  std::wprintf(L"%ls\\%ls from %ls\n", computer->get(L"Domain").to_text().c_str(),
               computer->get(L"Name").to_text().c_str(), fixture.c_str());

  const wchar_t* classes[][2] = {{L"Pendrel.UnavailableProperties", L"frmUnavailable"},
                                 {L"Pendrel.Properties", L"frmComputerDetails"},
                                 {L"Pendrel.LogonProperties", L"frmLogonProperty"}};
  if (screenshots.empty()) {
    DispatchPtr unavailable = create(classes[0][0]);
    unavailable->set(L"DomainObject", domain);
    unavailable->set(L"Computer", computer);
    unavailable->call(L"Show", {Variant(int16_t{1})});
    std::wprintf(L"OK: %ls\n", unavailable->get(L"OK").to_text().c_str());
    return 0;
  }
  for (const auto& [progid, window] : classes) {
    DispatchPtr window_class = create(progid);
    if (std::wstring(progid) == L"Pendrel.Properties") window_class->let(L"Database", database);
    window_class->set(L"DomainObject", domain);
    window_class->set(L"Computer", computer);
    save(window_class, screenshots, window);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return run(argc, argv);
  } catch (const pendrel::Error& e) {
    std::fwprintf(stderr, L"pendrel-demo: %ls (error %ld)\n", e.description().c_str(),
                  static_cast<long>(e.number()));
    return 1;
  }
}
