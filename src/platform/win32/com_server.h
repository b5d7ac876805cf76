// The in-process server plumbing shared by our DLLs: the class factory and
// registration derived from the embedded type library (every coclass is
// registered under the ProgID "<library name>.<coclass name>", apartment
// threaded), so the IDL stays the single source of the COM contract.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <span>
#include <string>
#include <vector>

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

// One text value written under HKEY_CLASSES_ROOT; an empty name is the key's
// default value.
struct RegistryRow {
  std::wstring key;
  std::wstring name;
  std::wstring value;
};

// What registering the server whose type library is embedded in
// library_file writes, with server_path standing for its file name: the
// rows of the creatable classes and their ProgIDs, written by
// DllRegisterServer itself; and the rows of the type library and its
// automation interfaces, written through RegisterTypeLib (HELPDIR is
// help_dir). Installers write the same rows instead of calling the server.
// Throws Error when the library cannot be read.
std::vector<RegistryRow> class_rows(const std::wstring& library_file, const std::wstring& server_path);
std::vector<RegistryRow> type_library_rows(const std::wstring& library_file, const std::wstring& server_path,
                                           const std::wstring& help_dir);

}  // namespace pendrel::win32
