#include "platform/win32/com_server.h"

#include <oleauto.h>

#include <cwchar>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"

namespace pendrel::win32 {
namespace {

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(HRESULT (*create)(REFIID, void**)) : create_(create) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      Module::lock();
    } else {
      Module::unlock();
    }
    return S_OK;
  }

 private:
  void* interface_for(REFIID riid) override {
    return IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory) ? static_cast<IClassFactory*>(this)
                                                                                   : nullptr;
  }

  HRESULT (*create_)(REFIID, void**);
};

void check_status(LSTATUS status, const wchar_t* what, const std::wstring& key) {
  if (status != ERROR_SUCCESS) {
    throw Error(HRESULT_FROM_WIN32(status), std::wstring(what) + L" HKEY_CLASSES_ROOT\\" + key);
  }
}

void check_hr(HRESULT hr, const wchar_t* what) {
  if (FAILED(hr)) throw Error(hr, what);
}

std::wstring guid_text(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

// Creates key (and its parents) and sets one text value; an empty name sets
// the key's default value.
void write_text(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  unique_hkey hkey;
  check_status(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        hkey.put(), nullptr),
        L"Cannot create", key);
  check_status(RegSetValueExW(hkey.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
        L"Cannot write", key);
}

// The default value of a key; empty when the key or value is absent.
std::wstring read_default(const std::wstring& key) {
  wchar_t value[256] = {};
  LONG size = sizeof(value) - sizeof(wchar_t);
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return {};
  return value;
}

bool key_exists(const std::wstring& key) {
  unique_hkey hkey;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, hkey.put()) == ERROR_SUCCESS;
}

// Deletes a key that has no subkeys; one that is already gone counts as deleted.
void delete_key(const std::wstring& key) {
  LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  if (status != ERROR_FILE_NOT_FOUND) check_status(status, L"Cannot delete", key);
}

struct Coclass {
  CLSID clsid;
  std::wstring prog_id;
  std::wstring description;
};

struct LibraryFacts {
  com_ptr<ITypeLib> library;
  GUID libid;
  WORD major, minor;
  LCID lcid;
  SYSKIND syskind;
  std::vector<Coclass> coclasses;  // the creatable ones
};

std::wstring doc_name(ITypeLib* library, INT index, std::wstring* doc_string = nullptr) {
  unique_bstr name, doc;
  check_hr(library->GetDocumentation(index, name.put(), doc.put(), nullptr, nullptr),
        L"Cannot read a name from the type library");
  if (doc_string) *doc_string = doc.str();
  return name.str();
}

LibraryFacts read_library(const std::wstring& path) {
  LibraryFacts facts;
  check_hr(LoadTypeLibEx(path.c_str(), REGKIND_NONE, facts.library.put()),
        L"Cannot load the embedded type library");
  ITypeLib* library = facts.library.get();
  {
    lib_attr attr(library);
    if (!attr.get()) throw Error(E_FAIL, L"Cannot read the type library's attributes");
    facts.libid = attr->guid;
    facts.major = attr->wMajorVerNum;
    facts.minor = attr->wMinorVerNum;
    facts.lcid = attr->lcid;
    facts.syskind = attr->syskind;
  }
  std::wstring library_name = doc_name(library, -1);
  UINT count = library->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    TYPEKIND kind;
    if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
    com_ptr<ITypeInfo> info;
    check_hr(library->GetTypeInfo(i, info.put()), L"Cannot read a coclass of the type library");
    type_attr attr(info.get());
    if (!attr.get()) throw Error(E_FAIL, L"Cannot read a coclass's attributes");
    if (!(attr->wTypeFlags & TYPEFLAG_FCANCREATE)) continue;
    Coclass coclass{attr->guid, {}, {}};
    coclass.prog_id = library_name + L"." + doc_name(library, static_cast<INT>(i), &coclass.description);
    if (coclass.description.empty()) coclass.description = coclass.prog_id;
    facts.coclasses.push_back(std::move(coclass));
  }
  return facts;
}

// TypeLib\{libid}\<major>.<minor>, as RegisterTypeLib names it.
std::wstring library_key(const LibraryFacts& facts) {
  wchar_t version[16];
  swprintf(version, 16, L"%x.%x", facts.major, facts.minor);
  return L"TypeLib\\" + guid_text(facts.libid) + L"\\" + version;
}

// \<lcid>\win32 or \win64: the library's file for its locale and platform.
std::wstring platform_key(const LibraryFacts& facts) {
  wchar_t key[32];
  const wchar_t* platform = facts.syskind == SYS_WIN64 ? L"win64" : facts.syskind == SYS_WIN16 ? L"win16" : L"win32";
  swprintf(key, 32, L"\\%lx\\%ls", static_cast<unsigned long>(facts.lcid), platform);
  return key;
}

void unregister(const LibraryFacts& facts) {
  for (const Coclass& c : facts.coclasses) {
    std::wstring clsid_key = L"CLSID\\" + guid_text(c.clsid);
    delete_key(clsid_key + L"\\InprocServer32");
    delete_key(clsid_key + L"\\ProgID");
    delete_key(clsid_key + L"\\TypeLib");
    delete_key(clsid_key);
    // The ProgID may have been taken over by another class since.
    if (read_default(c.prog_id + L"\\CLSID") == guid_text(c.clsid)) {
      delete_key(c.prog_id + L"\\CLSID");
      delete_key(c.prog_id);
    }
  }
  // Wine answers E_INVALIDARG for a library that is not registered, Windows
  // TYPE_E_REGISTRYACCESS: look first, for this platform's file, since the
  // other bitness's copy of the server keeps the library's key.
  if (key_exists(library_key(facts) + platform_key(facts))) {
    check_hr(UnRegisterTypeLib(facts.libid, facts.major, facts.minor, facts.lcid, facts.syskind),
             L"Cannot unregister the type library");
  }
}

// Removes a half-done registration; what it cannot remove stays, since the
// failure that led here is the one to report.
void undo_registration(const LibraryFacts& facts) {
  ignore_errors([&] { unregister(facts); });
}

std::vector<RegistryRow> class_rows(const LibraryFacts& facts, const std::wstring& server_path) {
  std::vector<RegistryRow> rows;
  const std::wstring libid = guid_text(facts.libid);
  for (const Coclass& c : facts.coclasses) {
    const std::wstring clsid = guid_text(c.clsid);
    const std::wstring clsid_key = L"CLSID\\" + clsid;
    rows.push_back({clsid_key, L"", c.description});
    rows.push_back({clsid_key + L"\\InprocServer32", L"", server_path});
    rows.push_back({clsid_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
    rows.push_back({clsid_key + L"\\ProgID", L"", c.prog_id});
    rows.push_back({clsid_key + L"\\TypeLib", L"", libid});
    rows.push_back({c.prog_id, L"", c.description});
    rows.push_back({c.prog_id + L"\\CLSID", L"", clsid});
  }
  return rows;
}

}  // namespace

std::vector<RegistryRow> class_rows(const std::wstring& library_file, const std::wstring& server_path) {
  return class_rows(read_library(library_file), server_path);
}

// As RegisterTypeLib writes them: the library's help string, its file for
// its locale and platform, its flags and help folder; then each dual or
// dispatch-only interface, and each automation-compatible one, with the
// type library marshaler as its proxy.
std::vector<RegistryRow> type_library_rows(const std::wstring& library_file, const std::wstring& server_path,
                                           const std::wstring& help_dir) {
  const LibraryFacts facts = read_library(library_file);
  ITypeLib* library = facts.library.get();
  std::vector<RegistryRow> rows;
  const std::wstring libid = guid_text(facts.libid);
  wchar_t version[16];
  swprintf(version, 16, L"%x.%x", facts.major, facts.minor);
  const std::wstring key = library_key(facts);
  std::wstring help_string;
  doc_name(library, -1, &help_string);
  if (!help_string.empty()) rows.push_back({key, L"", help_string});
  rows.push_back({key + platform_key(facts), L"", server_path});
  {
    lib_attr attr(library);
    if (!attr.get()) throw Error(E_FAIL, L"Cannot read the type library's attributes");
    rows.push_back({key + L"\\FLAGS", L"", std::to_wstring(attr->wLibFlags)});
  }
  rows.push_back({key + L"\\HELPDIR", L"", help_dir});
  const std::wstring marshaler = L"{00020424-0000-0000-C000-000000000046}";
  const UINT count = library->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    TYPEKIND kind;
    check_hr(library->GetTypeInfoType(i, &kind), L"Cannot read a type of the type library");
    if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) continue;
    com_ptr<ITypeInfo> info;
    check_hr(library->GetTypeInfo(i, info.put()), L"Cannot read a type of the type library");
    type_attr attr(info.get());
    if (!attr.get()) throw Error(E_FAIL, L"Cannot read an interface's attributes");
    if (kind == TKIND_INTERFACE && !(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION)) continue;
    const std::wstring interface_key = L"Interface\\" + guid_text(attr->guid);
    rows.push_back({interface_key, L"", doc_name(library, static_cast<INT>(i))});
    rows.push_back({interface_key + L"\\ProxyStubClsid", L"", marshaler});
    rows.push_back({interface_key + L"\\ProxyStubClsid32", L"", marshaler});
    rows.push_back({interface_key + L"\\TypeLib", L"", libid});
    rows.push_back({interface_key + L"\\TypeLib", L"Version", version});
  }
  return rows;
}

HRESULT get_class_object(std::span<const CreatableClass> classes, REFCLSID clsid, REFIID iid,
                         void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const CreatableClass& c : classes) {
    if (!IsEqualCLSID(*c.clsid, clsid)) continue;
    return ClassFactory::create_instance<ClassFactory>(iid, out, c.create);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT register_server() noexcept {
  return guarded_export([] {
    std::wstring path = Module::path();
    LibraryFacts facts = read_library(path);
    try {
      check_hr(RegisterTypeLib(facts.library.get(), path.data(), nullptr),
            L"Cannot register the type library");
      for (const RegistryRow& row : class_rows(facts, path)) write_text(row.key, row.name.c_str(), row.value);
    } catch (...) {
      undo_registration(facts);
      throw;
    }
  });
}

HRESULT unregister_server() noexcept {
  return guarded_export([] { unregister(read_library(Module::path())); });
}

}  // namespace pendrel::win32
