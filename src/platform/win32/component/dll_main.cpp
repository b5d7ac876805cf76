// pendrel.dll: the process entry point and the four in-process server
// exports. Registration is read from the embedded type library (pendrel.idl).
#include <windows.h>

#include "platform/win32/com_object.h"
#include "platform/win32/com_server.h"
#include "platform/win32/component/class_objects.h"
#include "platform/win32/component/thread_environment.h"

using pendrel::win32::Module;

// Nothing of ours runs at thread exit: each thread's state ends when its last
// object and window go (thread_environment.h). The thread notifications stay
// on for the statically linked runtime.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Module::set_handle(instance);
  return TRUE;
}

// Objects, locks and threads' environments (which live while a window of ours
// does) hold the module; then the window classes must go too.
STDAPI DllCanUnloadNow() {
  return Module::can_unload() && pendrel::win32::unregister_window_classes() ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return pendrel::win32::get_class_object(pendrel::win32::pendrel_classes(), clsid, iid, out);
}

STDAPI DllRegisterServer() { return pendrel::win32::register_server(); }

STDAPI DllUnregisterServer() { return pendrel::win32::unregister_server(); }
