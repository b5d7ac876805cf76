// What the timed programs under Wine share: creating a registered class by
// ProgID, and a main that runs the program in an apartment and reports an
// Error instead of ending by an exception.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "core/dispatch.h"
#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"

namespace pendrel::bench {

inline DispatchPtr create(const wchar_t* prog_id) {
  CLSID clsid{};
  win32::com_ptr<IDispatch> object;
  HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  if (FAILED(hr)) throw Error(hr, std::wstring(L"Cannot create ") + prog_id + L"; is it registered?");
  return win32::wrap_dispatch(object.get());
}

template <class Run>
int run_main(const wchar_t* program, int argc, wchar_t** argv, Run run) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int rc;
  try {
    rc = run(argc, argv);
  } catch (const Error& e) {
    std::fwprintf(stderr, L"%ls: %ls (error %ld)\n", program, e.description().c_str(), static_cast<long>(e.number()));
    rc = 1;
  }
  CoUninitialize();
  return rc;
}

}  // namespace pendrel::bench
