#include "platform/win32/inventory/com_reporter.h"

#include <windows.h>
#include <objbase.h>

#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"
#include "report/computer_report.h"

namespace pendrel::win32 {

namespace {

// What the component's windows on this thread posted (their hidden report
// window's end among it) is handled between computers, as a console's
// message loop would.
void pump_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

ComApartment::ComApartment() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) throw Error(hr, L"The worker's COM apartment could not be made");
}

ComApartment::~ComApartment() { CoUninitialize(); }

DispatchPtr create_by_prog_id(const std::wstring& prog_id) {
  CLSID clsid{};
  com_ptr<IDispatch> object;
  HRESULT hr = CLSIDFromProgID(prog_id.c_str(), &clsid);
  if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  if (FAILED(hr)) {
    // The class's own description of why its construction failed, if it left one.
    std::wstring why = L"is it registered?";
    com_ptr<IErrorInfo> info;
    unique_bstr description;
    if (GetErrorInfo(0, info.put()) == S_OK && SUCCEEDED(info->GetDescription(description.put())) &&
        description.get()) {
      why = description.str();
    }
    throw Error(hr, L"Cannot create " + prog_id + L"; " + why);
  }
  return wrap_dispatch(object.get());
}

void load_servers() {
  for (const wchar_t* prog_id : {L"PendrelHost.DomainObject", L"Pendrel.Properties"}) {
    CLSID clsid{};
    com_ptr<IClassFactory> factory;
    if (SUCCEEDED(CLSIDFromProgID(prog_id, &clsid))) {
      CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void());
    }
  }
}

ComReporter::ComReporter(const inventory::Options& options)
    : options_(options), domain_(create_by_prog_id(L"PendrelHost.DomainObject")) {
  if (options_.live) {
    domain_->call(L"OpenLive");
  } else {
    domain_->call(L"OpenFixture", {options_.fixture});
  }
}

ComReporter::~ComReporter() {
  domain_.reset();
  pump_messages();
}

std::string ComReporter::report(const std::wstring& computer) {
  Variant result;
  {
    DispatchPtr host_computer = domain_->call(L"GetComputer", {computer}).to_object();
    DispatchPtr details = create_by_prog_id(L"Pendrel.Properties");
    details->set(L"DomainObject", domain_);
    details->set(L"Computer", host_computer);
    if (!options_.database.empty()) details->let(L"Database", options_.database);
    // By name, so that any build of the component with Report serves.
    result = details->call(L"Report", {std::wstring(L"json"), options_.apps});
  }
  pump_messages();
  return report::to_utf8(result.to_text());
}

}  // namespace pendrel::win32
