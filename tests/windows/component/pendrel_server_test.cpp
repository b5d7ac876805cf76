// pendrel.dll as a C++ client sees it: registration written and removed by
// regsvr32, the unload check of its exports, and members and failures
// through the vtable and late bound.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/error.h"
#include "pendrel.h"
#include "platform/win32/dispatch_client.h"
#include "raised.h"
#include "support.h"

namespace pendrel::win32 {
namespace {

struct RegisteredClass {
  const wchar_t* prog_id;
  const wchar_t* clsid;
  const wchar_t* iid;
};
constexpr RegisteredClass kClasses[] = {
    {L"Pendrel.Properties", L"{CB7484EE-A6AB-488D-AECE-B3932D987EEC}", L"{F1D3FCE7-B854-450B-BA6F-D7FD0A885D63}"},
    {L"Pendrel.LogonProperties", L"{ACF7FE4E-AE9C-4DB6-BAC7-192DA40A2E29}",
     L"{7C8D8455-A281-4926-B4FE-3C6F935703A2}"},
    {L"Pendrel.UnavailableProperties", L"{E34BA562-B184-4F68-A630-E20F71C451E2}",
     L"{7E7C0E77-82DE-485B-9F6C-A9CAB8A037B3}"},
};
constexpr wchar_t kLibId[] = L"{9A6FB7D6-C92C-49B0-B08A-2C89C3718B6E}";

using testing::ComApartment;

std::wstring dll_path() {
  wchar_t exe[MAX_PATH];
  const std::wstring path(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"pendrel.dll";
}

// A text value under HKEY_CLASSES_ROOT, or "<absent>".
std::wstring read_text(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t value[512] = L"";
  DWORD size = sizeof(value) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return L"<absent>";
  return value;
}

std::wstring lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// regsvr32's exit code, run through the command interpreter.
int regsvr32(const wchar_t* options) {
  return _wsystem((std::wstring(L"regsvr32.exe ") + options + L" \"" + dll_path() + L"\"").c_str());
}

// Each class by ProgID and CLSID, apartment-threaded, with its interface, and
// the type library at the DLL; all or (after /u) none of it.
void expect_registration(bool registered) {
  const auto expected = [&](const std::wstring& value) { return registered ? value : std::wstring(L"<absent>"); };
  for (const RegisteredClass& c : kClasses) {
    SCOPED_TRACE(to_ansi(c.prog_id));
    const std::wstring clsid_key = std::wstring(L"CLSID\\") + c.clsid;
    EXPECT_EQ(read_text(std::wstring(c.prog_id) + L"\\CLSID"), expected(c.clsid));
    EXPECT_EQ(read_text(clsid_key + L"\\ProgID"), expected(c.prog_id));
    EXPECT_EQ(lower(read_text(clsid_key + L"\\InprocServer32")), lower(expected(dll_path())));
    EXPECT_EQ(read_text(clsid_key + L"\\InprocServer32", L"ThreadingModel"), expected(L"Apartment"));
    EXPECT_EQ(read_text(clsid_key + L"\\TypeLib"), expected(kLibId));
    unique_hkey interface_key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"Interface\\") + c.iid).c_str(), 0, KEY_READ,
                            interface_key.put()) == ERROR_SUCCESS,
              registered);
  }
  const wchar_t* platform = sizeof(void*) == 8 ? L"\\win64" : L"\\win32";
  EXPECT_EQ(lower(read_text(std::wstring(L"TypeLib\\") + kLibId + L"\\1.0\\409" + platform)), lower(expected(dll_path())));
}

// regsvr32 /u removes all of it (and, run again, still succeeds); regsvr32
// writes it again.
TEST(PendrelServer, Regsvr32WritesAndRemovesTheWholeRegistration) {
  expect_registration(true);
  ASSERT_EQ(regsvr32(L"/s /u"), 0);
  expect_registration(false);
  EXPECT_EQ(regsvr32(L"/s /u"), 0);
  ASSERT_EQ(regsvr32(L"/s"), 0);
  expect_registration(true);
}

// The server's own DllCanUnloadNow and DllGetClassObject, loaded beside COM's copy.
struct ServerExports {
  ServerExports() : dll(LoadLibraryW(dll_path().c_str())) {
    can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllCanUnloadNow")));
    get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllGetClassObject")));
  }
  unique_hmodule dll;
  HRESULT(STDAPICALLTYPE* can_unload)() = nullptr;
  HRESULT(STDAPICALLTYPE* get_class_object)(REFCLSID, REFIID, void**) = nullptr;
};

// DllCanUnloadNow says S_FALSE while a class factory, an object (of two), a
// lock or a window of ours lives, and S_OK only once none does and the window
// classes are gone: Windows keeps a DLL's window classes registered after the
// DLL unloads, and one left behind would call into the unloaded code. What the
// thread's objects shared ends with the last of them: the next starts afresh.
TEST(PendrelServer, CanUnloadOnlyWithoutObjectsLocksOrWindowClasses) {
  ComApartment apartment;
  const ServerExports server;
  ASSERT_TRUE(server.can_unload && server.get_class_object);
  com_ptr<IClassFactory> factory;
  EXPECT_EQ(server.get_class_object(__uuidof(_Properties), IID_IClassFactory, factory.put_void()),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(server.can_unload(), S_OK);
  ASSERT_EQ(server.get_class_object(__uuidof(::Properties), IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(server.can_unload(), S_FALSE);  // the factory
  com_ptr<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, aggregated.put_void()),
            CLASS_E_NOAGGREGATION);
  auto create = [&] {
    com_ptr<_Properties> made;
    EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(_Properties), made.put_void()), S_OK);
    return made;
  };
  auto database = [](const com_ptr<_Properties>& properties) {
    unique_bstr text;
    EXPECT_EQ(properties->get_Database(text.put()), S_OK);
    return text.str();
  };
  com_ptr<_Properties> first = create(), second = create();
  ASSERT_TRUE(first && second);
  const unique_bstr connect(L"DSN=Management");
  EXPECT_EQ(first->put_Database(connect.get()), S_OK);
  EXPECT_EQ(database(second), L"DSN=Management") << "shared while an object lives";
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  EXPECT_TRUE(GetClassInfoExW(server.dll.get(), L"PendrelForm", &info));
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  first.reset();
  EXPECT_EQ(server.can_unload(), S_FALSE);  // an object and the lock
  second.reset();
  EXPECT_EQ(server.can_unload(), S_FALSE);  // the lock
  ASSERT_EQ(server.get_class_object(__uuidof(::Properties), IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(database(create()), L"");
  factory.reset();
  testing::pump();
  EXPECT_EQ(server.can_unload(), S_OK);
  EXPECT_FALSE(GetClassInfoExW(server.dll.get(), L"PendrelForm", &info));
}

TEST(PendrelServer, EarlyBoundClientsCallThroughTheVtable) {
  ComApartment apartment;
  com_ptr<_Properties> properties;
  ASSERT_EQ(CoCreateInstance(__uuidof(::Properties), nullptr, CLSCTX_INPROC_SERVER,
                             __uuidof(_Properties), properties.put_void()),
            S_OK);
  EXPECT_EQ(properties->put_PosWidth(7845), S_OK);
  long width = 0xdeadbeef;
  EXPECT_EQ(properties->get_PosWidth(&width), S_OK);
  EXPECT_EQ(width, 7845);

  EXPECT_EQ(properties->put_WindowState(40000), static_cast<HRESULT>(0x800A0006));
  com_ptr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  GUID guid{};
  info->GetGUID(&guid);
  EXPECT_TRUE(IsEqualGUID(guid, __uuidof(_Properties)));
  unique_bstr description;
  info->GetDescription(description.put());
  EXPECT_EQ(description.str(), L"Overflow");
  long state = 0xdeadbeef;
  EXPECT_EQ(properties->get_WindowState(&state), S_OK);
  EXPECT_EQ(state, 0);

  EXPECT_EQ(properties->get_hwnd(nullptr), E_POINTER);

  // Late bound through pendrel::Dispatch, as the windows call the host's
  // objects: a failure is an error with its number and description, and one
  // without a description names the member called.
  const DispatchPtr late = wrap_dispatch(properties.get());
  const Error overflow = error_of([&] { late->let(L"WindowState", Variant(int32_t{40000})); });
  EXPECT_EQ(overflow.number(), vb_error::kOverflow);
  EXPECT_EQ(overflow.description(), L"Overflow");
  EXPECT_EQ(late->id_of(L"wINDOWsTATE"), 11);
  EXPECT_EQ(error_number([&] { late->id_of(L"Nope"); }), vb_error::kObjectDoesNotSupportMember);
  const Error count = error_of([&] { late->call(L"ZOrder"); });
  EXPECT_EQ(count.number(), static_cast<int32_t>(DISP_E_BADPARAMCOUNT));
  EXPECT_EQ(count.description(), L"Automation error 0x8002000E calling 'ZOrder'");
  std::vector<Argument> none;
  EXPECT_EQ(error_of([&] { late->invoke(777, InvokeKind::Method, none); }).description(),
            L"Automation error 0x80020003 calling dispatch id 777");
}

}  // namespace
}  // namespace pendrel::win32
