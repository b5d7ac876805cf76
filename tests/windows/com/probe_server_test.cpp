// pendrelprobe.dll as a client sees it: its registration, its exports and the
// errors of its dual interface.
#include <olectl.h>

#include "com_test_support.h"

namespace pendrel::win32 {
namespace {

using testing::ComApartment;
using testing::create_probe;
using testing::probe_path;
using testing::key_exists;
using testing::lower;
using testing::read_text;

DWORD run_regsvr32(const wchar_t* options) { return testing::run_regsvr32(options, probe_path()); }

const wchar_t kClsidKey[] = L"CLSID\\{ACCF5196-BC14-43EE-A261-9E3C5FACCBC6}";
const wchar_t kLibid[] = L"{773FD70F-EF6E-4B32-8AAC-3BB0502B0F42}";

void expect_registered() {
  EXPECT_EQ(read_text(L"PendrelProbe.Probe\\CLSID"), L"{ACCF5196-BC14-43EE-A261-9E3C5FACCBC6}");
  EXPECT_EQ(lower(read_text(std::wstring(kClsidKey) + L"\\InprocServer32")), lower(probe_path()));
  EXPECT_EQ(read_text(std::wstring(kClsidKey) + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(read_text(std::wstring(kClsidKey) + L"\\ProgID"), L"PendrelProbe.Probe");
  EXPECT_EQ(read_text(std::wstring(kClsidKey) + L"\\TypeLib"), kLibid);
  EXPECT_EQ(lower(read_text(std::wstring(L"TypeLib\\") + kLibid + L"\\1.0\\0\\win64")),
            lower(probe_path()));
}

TEST(ProbeServer, RegistrationIsWrittenAndRemovedWhole) {
  expect_registered();
  const std::wstring interface_key = L"Interface\\{9BFDF6DD-4C42-46B7-9B88-7FD3172F889A}";
  EXPECT_TRUE(key_exists(interface_key));

  ASSERT_EQ(run_regsvr32(L"/s /u"), 0u);
  EXPECT_FALSE(key_exists(kClsidKey));
  EXPECT_FALSE(key_exists(L"PendrelProbe.Probe"));
  EXPECT_FALSE(key_exists(std::wstring(L"TypeLib\\") + kLibid));
  EXPECT_FALSE(key_exists(interface_key));
  // Unregistering twice finds nothing left to remove and still succeeds.
  EXPECT_EQ(run_regsvr32(L"/s /u"), 0u);

  ASSERT_EQ(run_regsvr32(L"/s"), 0u);
  expect_registered();
}

TEST(ProbeServer, CanUnloadOnlyWithoutObjectsOrLocks) {
  ComApartment apartment;
  const testing::ServerExports server(probe_path());
  const auto can_unload = server.can_unload;
  const auto get_class_object = server.get_class_object;
  ASSERT_TRUE(can_unload && get_class_object);
  EXPECT_EQ(can_unload(), S_OK);

  com_ptr<IClassFactory> factory;
  com_ptr<IUnknown> poisoned;
  EXPECT_EQ(get_class_object(IID_IProbe, IID_IClassFactory, factory.put_void()),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(get_class_object(CLSID_Probe, IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(can_unload(), S_FALSE);
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown,
                                    poisoned.put_void()),
            CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(poisoned);

  com_ptr<IProbe> probe;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProbe, probe.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(can_unload(), S_FALSE);  // the object and the lock
  probe.reset();
  EXPECT_EQ(can_unload(), S_FALSE);  // the lock
  ASSERT_EQ(get_class_object(CLSID_Probe, IID_IClassFactory, factory.put_void()), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(can_unload(), S_FALSE);  // the factory
  factory.reset();
  EXPECT_EQ(can_unload(), S_OK);
}

TEST(ProbeServer, FailingMethodsReachLateAndEarlyBoundClients) {
  ComApartment apartment;
  com_ptr<IDispatch> dispatch = create_probe();
  ASSERT_TRUE(dispatch);

  // Late bound: DISP_E_EXCEPTION with the error's EXCEPINFO, as VB reads it.
  unique_variant argument;
  V_VT(&argument) = VT_BSTR;
  V_BSTR(&argument) = SysAllocString(L"probe overflowed");
  DISPPARAMS params{&argument, nullptr, 1, 0};
  EXCEPINFO excep{};
  excep.wCode = 0xbeef;
  UINT arg_err = 0;
  HRESULT hr = dispatch->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &excep, &arg_err);
  unique_bstr description, source, help_file;
  description.reset(excep.bstrDescription);
  source.reset(excep.bstrSource);
  help_file.reset(excep.bstrHelpFile);
  EXPECT_EQ(hr, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<uint32_t>(excep.scode), 0x800A0006u);
  EXPECT_EQ(excep.wCode, 0);
  EXPECT_EQ(description.str(), L"probe overflowed");
  EXPECT_EQ(source.str(), L"PendrelProbe.Probe");

  // Early bound: the HRESULT, with IErrorInfo for the interface.
  com_ptr<IProbe> probe = dispatch.query<IProbe>(IID_IProbe);
  ASSERT_TRUE(probe);
  unique_bstr text(L"disk on fire");
  EXPECT_EQ(probe->Crash(text.get()), E_FAIL);
  com_ptr<ISupportErrorInfo> supports = dispatch.query<ISupportErrorInfo>(IID_ISupportErrorInfo);
  ASSERT_TRUE(supports);
  EXPECT_EQ(supports->InterfaceSupportsErrorInfo(IID_IProbe), S_OK);
  EXPECT_EQ(supports->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
  com_ptr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  GUID guid{};
  info->GetGUID(&guid);
  EXPECT_TRUE(IsEqualGUID(guid, IID_IProbe));
  info->GetDescription(description.put());
  EXPECT_EQ(description.str(), L"disk on fire");

  com_ptr<ITypeInfo> type;
  ASSERT_EQ(dispatch->GetTypeInfo(0, 0, type.put()), S_OK);
  type_attr attr(type.get());
  ASSERT_TRUE(attr.get());
  EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IProbe));
}

}  // namespace
}  // namespace pendrel::win32
