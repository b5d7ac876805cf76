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

// Late-bound clients see these errors in EXCEPINFO (dispatch_client_test,
// probe_test.vbs); early-bound ones through IErrorInfo.
TEST(ProbeServer, FailingMethodsSetErrorInfoForEarlyBoundClients) {
  ComApartment apartment;
  com_ptr<IDispatch> dispatch = create_probe();
  ASSERT_TRUE(dispatch);
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
  unique_bstr description;
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
