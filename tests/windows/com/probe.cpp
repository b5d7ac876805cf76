// pendrelprobe.dll: see pendrel_probe.idl.
#include <windows.h>

#include <array>
#include <string>

#include "core/dispatch.h"
#include "core/error.h"
#include "core/text.h"
#include "pendrel_probe.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_server.h"
#include "platform/win32/variant_convert.h"

namespace {

using pendrel::Argument;
using pendrel::Error;
using pendrel::Variant;
using namespace pendrel::win32;

class Probe final : public DualObject<IProbe> {
 public:
  static HRESULT create(REFIID iid, void** out) { return create_instance<Probe>(iid, out); }

  STDMETHODIMP Inspect(VARIANT target, BSTR* seen) override {
    return guarded(__uuidof(IProbe), [&] {
      pendrel::DispatchPtr object = from_variant(target).to_object();
      std::wstring text = L"Name=" + object->get(L"Name").to_text();
      object->let(L"Size", Variant(int32_t{42}));
      Variant n(int32_t{5});
      Variant twice = object->call(L"Twice", {Argument::ref(n)});
      text += L";Twice=" + twice.to_text() + L",n=" + n.to_text();
      object->set(L"Partner", object);
      text += L";Default=" + object->get(pendrel::kDispIdValue).to_text();
      text += L";Size=" + object->get(L"Size").to_text();
      try {
        object->call(L"Explode", {Argument(Variant(L"now"))});
        text += L";Explode=nothing";
      } catch (const Error& e) {
        text += L";Explode=" + std::to_wstring(e.number()) + L" '" + e.description() + L"' from '" +
                e.source() + L"'";
      }
      *seen = unique_bstr(text).release();
    });
  }

  STDMETHODIMP Fail(BSTR description) override {
    return guarded(__uuidof(IProbe), [&] {
      throw Error(pendrel::vb_error::kOverflow, text_of(description), L"PendrelProbe.Probe");
    });
  }

  STDMETHODIMP Echo(VARIANT value, VARIANT* result) override {
    return guarded(__uuidof(IProbe), [&] { to_variant(from_variant(value), result); });
  }

  STDMETHODIMP get_Note(BSTR* note) override {
    return guarded(__uuidof(IProbe), [&] { *note = unique_bstr(note_).release(); });
  }
  STDMETHODIMP put_Note(BSTR note) override {
    return guarded(__uuidof(IProbe), [&] { note_ = text_of(note); });
  }

 private:
  static std::wstring text_of(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : L""; }

  std::wstring note_;
};

constexpr std::array kClasses{CreatableClass{&CLSID_Probe, &Probe::create}};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module::set_handle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return Module::can_unload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return get_class_object(kClasses, clsid, iid, out);
}

STDAPI DllRegisterServer() { return register_server(); }

STDAPI DllUnregisterServer() { return unregister_server(); }
