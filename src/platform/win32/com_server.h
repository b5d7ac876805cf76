// The in-process server plumbing shared by our DLLs: the class factory and
// registration derived from the embedded type library (every coclass is
// registered under the ProgID "<library name>.<coclass name>", apartment
// threaded), so the IDL stays the single source of the COM contract.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <span>

namespace pendrel::win32 {

struct CreatableClass {
  const CLSID* clsid;
  // Creates a new object and queries it for iid.
  HRESULT (*create)(REFIID iid, void** out);
};

HRESULT get_class_object(std::span<const CreatableClass> classes, REFCLSID clsid, REFIID iid,
                         void** out) noexcept;
HRESULT register_server() noexcept;
HRESULT unregister_server() noexcept;

}  // namespace pendrel::win32
