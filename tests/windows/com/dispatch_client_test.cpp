#include "platform/win32/dispatch_client.h"

#include <dispex.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "core/error.h"
#include "platform/win32/com_object.h"
#include "platform/win32/variant_convert.h"
#include "raised.h"
#include "support.h"

namespace pendrel::win32 {
namespace {

using fakes::FakeDispatch;
using testing::ComApartment;

// A C++ object served to COM clients, with a property and a method that
// doubles its by-reference argument.
std::shared_ptr<FakeDispatch> make_box() {
  auto box = std::make_shared<FakeDispatch>(L"Box");
  box->property(L"Size");
  box->on(L"Twice").call([](std::span<Argument> args) {
    args[0].value = Variant(args[0].value.to_long() * 2);
    return L"doubled";
  });
  return box;
}

// An object reached only through IDispatchEx, as VBScript objects are under
// Wine; it records how it was called.
class ExOnlyObject final : public IDispatchEx {
 public:
  HRESULT invoke_result = S_OK;
  DWORD name_flags = 0;
  std::vector<std::wstring> calls;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, __uuidof(IDispatchEx))) {
      *ppv = static_cast<IDispatchEx*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    calls.push_back(L"Invoke");
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDispID(BSTR name, DWORD flags, DISPID* id) override {
    name_flags = flags;
    if (std::wstring(name) != L"Total") return DISP_E_UNKNOWNNAME;
    *id = 12;
    return S_OK;
  }
  STDMETHODIMP InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, IServiceProvider*) override {
    calls.push_back(L"InvokeEx " + std::to_wstring(id) + L" flags " + std::to_wstring(flags) +
                    L" args " + std::to_wstring(params->cArgs));
    if (invoke_result == DISP_E_EXCEPTION) {
      excep->wCode = 1234;
      excep->pfnDeferredFillIn = [](EXCEPINFO* e) STDMETHODCALLTYPE -> HRESULT {
        e->bstrDescription = SysAllocString(L"filled in later");
        e->bstrSource = SysAllocString(L"ExSource");
        return S_OK;
      };
    }
    if (SUCCEEDED(invoke_result) && result) {
      V_VT(result) = VT_I4;
      V_I4(result) = 99;
    }
    // A by-reference argument gets a new value, as a ByRef parameter does.
    if (params->cArgs == 1 && V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_VARIANT)) {
      VariantClear(V_VARIANTREF(&params->rgvarg[0]));
      V_VT(V_VARIANTREF(&params->rgvarg[0])) = VT_BSTR;
      V_BSTR(V_VARIANTREF(&params->rgvarg[0])) = SysAllocString(L"written back");
    }
    return invoke_result;
  }
  STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

  ULONG refs = 1;
};

TEST(DispatchClient, ObjectsAnsweringOnlyIDispatchExAreReachedThroughIt) {
  ExOnlyObject object;
  {
    DispatchPtr ex = wrap_dispatch(&object);
    EXPECT_EQ(ex->get(L"Total", {Variant(int32_t{1}), Variant(L"x")}), Variant(int32_t{99}));
    EXPECT_EQ(object.name_flags, static_cast<DWORD>(fdexNameCaseInsensitive));
    Variant variable(int32_t{5});
    ex->call(L"Total", {Argument::ref(variable)});
    EXPECT_EQ(variable, Variant(L"written back"));
    ex->set(L"Total", DispatchPtr(ex));

    object.invoke_result = DISP_E_EXCEPTION;
    Error raised = error_of([&] { ex->call(L"Total"); });
    EXPECT_EQ(raised.number(), 1234);
    EXPECT_EQ(raised.description(), L"filled in later");
    EXPECT_EQ(raised.source(), L"ExSource");

    // A VB error returned bare, as Wine's VBScript does.
    object.invoke_result = 0x800A000D;
    Error bare = error_of([&] { ex->call(L"Total"); });
    EXPECT_EQ(bare.number(), vb_error::kTypeMismatch);
    EXPECT_EQ(bare.description(), L"Type mismatch");
  }
  EXPECT_EQ(object.calls, (std::vector<std::wstring>{L"InvokeEx 12 flags 3 args 2", L"InvokeEx 12 flags 1 args 1",
                                                     L"InvokeEx 12 flags 8 args 1", L"InvokeEx 12 flags 1 args 0",
                                                     L"InvokeEx 12 flags 1 args 0"}));
  EXPECT_EQ(object.refs, 1u);
}

TEST(DispatchClient, CppObjectsAreServedAsLateBoundIDispatch) {
  ComApartment apartment;
  auto box = make_box();
  com_ptr<IDispatch> dispatch = to_idispatch(box);
  ASSERT_TRUE(dispatch);
  EXPECT_FALSE(Module::can_unload());
  EXPECT_EQ(wrap_dispatch(dispatch.get()), box);
  EXPECT_FALSE(com_dispatch_of(box));

  wchar_t name[] = L"SIZE";
  LPOLESTR names[] = {name};
  DISPID size_id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &size_id), S_OK);
  EXPECT_EQ(size_id, box->id_of(L"Size"));

  // Property put: the value is the named DISPID_PROPERTYPUT argument.
  VARIANTARG value;
  V_VT(&value) = VT_I2;
  V_I2(&value) = 17;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS put_params{&value, &put, 1, 1};
  EXPECT_EQ(dispatch->Invoke(size_id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put_params, nullptr,
                             nullptr, nullptr),
            S_OK);
  EXPECT_EQ(box->value(L"Size"), Variant(int16_t{17}));

  // Typed by-reference arguments keep their type when written back.
  LONG n = 21;
  VARIANTARG by_ref;
  V_VT(&by_ref) = VT_BYREF | VT_I4;
  V_I4REF(&by_ref) = &n;
  DISPPARAMS call_params{&by_ref, nullptr, 1, 0};
  unique_variant result;
  EXPECT_EQ(dispatch->Invoke(box->id_of(L"Twice"), IID_NULL, 0, DISPATCH_METHOD, &call_params,
                             &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(n, 42);
  EXPECT_EQ(from_variant(result), Variant(L"doubled"));
  // (A failure's EXCEPINFO: EveryBoundaryMapsAFailureTheSameWay.)
  dispatch.reset();
  EXPECT_TRUE(Module::can_unload());
}

// One mapping from a failure to an HRESULT at every boundary: a COM method
// (with IErrorInfo), IDispatch::Invoke of a C++ object (with EXCEPINFO) and an
// exported function (the HRESULT alone).
TEST(ComObject, EveryBoundaryMapsAFailureTheSameWay) {
  ComApartment apartment;
  struct Case {
    const char* name;
    std::function<void()> fail;
    HRESULT hr;
    const wchar_t* description;
  };
  const Case cases[] = {
      {"Error", [] { throw Error(E_ACCESSDENIED, L"denied"); }, E_ACCESSDENIED, L"denied"},
      {"VB error", [] { throw Error::vb(vb_error::kOverflow); }, static_cast<HRESULT>(0x800A0006), L"Overflow"},
      {"bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, L""},
      {"std::exception", [] { throw std::runtime_error("disk on fire"); }, E_FAIL, L"disk on fire"},
      {"anything else", [] { throw 42; }, E_FAIL, L"Unexpected failure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(guarded(IID_IDispatch, c.fail), c.hr);
    com_ptr<IErrorInfo> info;
    unique_bstr description;
    if (GetErrorInfo(0, info.put()) == S_OK) info->GetDescription(description.put());
    EXPECT_EQ(description.str(), c.description);

    auto failing = std::make_shared<FakeDispatch>(L"Failing");
    failing->on(L"Go").call([&c](std::span<Argument>) -> Variant {
      c.fail();
      return {};
    });
    com_ptr<IDispatch> dispatch = to_idispatch(failing);
    EXCEPINFO excep{};
    DISPPARAMS no_args{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(failing->id_of(L"Go"), IID_NULL, 0, DISPATCH_METHOD, &no_args, nullptr, &excep,
                               nullptr),
              DISP_E_EXCEPTION);
    unique_bstr excep_description, excep_source;
    excep_description.reset(excep.bstrDescription);
    excep_source.reset(excep.bstrSource);
    EXPECT_EQ(excep.scode, c.hr);
    EXPECT_EQ(excep_description.str(), c.description);
    EXPECT_EQ(dispatch->Invoke(failing->id_of(L"Go"), IID_NULL, 0, DISPATCH_METHOD, &no_args, nullptr, nullptr,
                               nullptr),
              c.hr);

    EXPECT_EQ(guarded_export(c.fail), c.hr);
  }
  EXPECT_EQ(guarded(IID_IDispatch, [] {}), S_OK);
  EXPECT_EQ(guarded_export([] {}), S_OK);
}

}  // namespace
}  // namespace pendrel::win32
