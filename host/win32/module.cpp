// pendrelhost.dll's entry points: the process entry and the four exports of an
// in-process server, for the two creatable classes of pendrelhost.idl.
#include <windows.h>
#include <objbase.h>

#include <array>

#include "host/win32/computer.h"
#include "host/win32/domain_object.h"
#include "pendrelhost.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_server.h"

namespace {

using pendrel::host::HostComputer;
using pendrel::host::HostDomainObject;

HRESULT create_computer(REFIID iid, void** out) {
  return HostComputer::create_instance<HostComputer>(iid, out);
}

HRESULT create_domain_object(REFIID iid, void** out) {
  return HostDomainObject::create_instance<HostDomainObject>(iid, out);
}

const std::array<pendrel::win32::CreatableClass, 2> kClasses = {{
    {&CLSID_Computer, create_computer},
    {&CLSID_DomainObject, create_domain_object},
}};

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    pendrel::win32::Module::set_handle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return pendrel::win32::get_class_object(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return pendrel::win32::Module::can_unload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return pendrel::win32::register_server(); }

STDAPI DllUnregisterServer() { return pendrel::win32::unregister_server(); }
