// pendrel.dll: the process entry point and the four in-process server
// exports. Registration is read from the embedded type library (pendrel.idl).
#include <windows.h>

#include "platform/win32/com_object.h"
#include "platform/win32/com_server.h"
#include "platform/win32/component/class_objects.h"

using pendrel::win32::Module;

// No DisableThreadLibraryCalls: the statically linked C++ runtime needs the
// thread notifications, for one to end each thread's thread_local windows.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Module::set_handle(instance);
  return TRUE;
}

STDAPI DllCanUnloadNow() { return Module::can_unload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return pendrel::win32::get_class_object(pendrel::win32::pendrel_classes(), clsid, iid, out);
}

STDAPI DllRegisterServer() { return pendrel::win32::register_server(); }

STDAPI DllUnregisterServer() { return pendrel::win32::unregister_server(); }
