// pendrelprobe.dll as a client sees it: its registration, its exports and the
// errors of its dual interface.
#include <olectl.h>

#include "com_test_support.h"

namespace pendrel::win32 {
namespace {

using testing::ComApartment;
using testing::create_probe;
using testing::probe_path;

TEST(ProbeServer, RegistrationIsWrittenAndRemovedWhole) {
  const testing::RegisteredClass probe[] = {{L"PendrelProbe.Probe", L"{ACCF5196-BC14-43EE-A261-9E3C5FACCBC6}",
                                             L"{9BFDF6DD-4C42-46B7-9B88-7FD3172F889A}"}};
  testing::expect_regsvr32_round_trip(probe_path(), L"{773FD70F-EF6E-4B32-8AAC-3BB0502B0F42}", L"0", probe);
}

TEST(ProbeServer, CanUnloadOnlyWithoutObjectsOrLocks) {
  ComApartment apartment;
  const testing::ServerExports server(probe_path());
  ASSERT_TRUE(server.get_class_object);
  com_ptr<IClassFactory> factory;
  EXPECT_EQ(server.get_class_object(IID_IProbe, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
  testing::expect_unload_only_when_free(server, CLSID_Probe, IID_IProbe);

  ASSERT_EQ(server.get_class_object(CLSID_Probe, IID_IClassFactory, factory.put_void()), S_OK);
  com_ptr<IUnknown> poisoned;
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, poisoned.put_void()),
            CLASS_E_NOAGGREGATION);
  EXPECT_FALSE(poisoned);
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
