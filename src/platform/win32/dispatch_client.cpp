#include "platform/win32/dispatch_client.h"

#include <dispex.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/error.h"
#include "platform/win32/com_object.h"
#include "platform/win32/variant_convert.h"

namespace pendrel::win32 {
namespace {

std::wstring hresult_text(HRESULT hr) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// VB errors travel as 0x800A0000 + number.
bool is_vb_error(HRESULT hr) {
  return HRESULT_SEVERITY(hr) == SEVERITY_ERROR && HRESULT_FACILITY(hr) == FACILITY_CONTROL;
}

int32_t error_number(const EXCEPINFO& e) {
  if (e.wCode != 0) return e.wCode;
  return is_vb_error(e.scode) ? HRESULT_CODE(e.scode) : e.scode;
}

class ComDispatch final : public Dispatch {
 public:
  explicit ComDispatch(IDispatch* object) : object_(object) {}

  IDispatch* object() const { return object_.get(); }

  DispId id_of(std::wstring_view name) override {
    std::wstring text(name);
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr == E_NOTIMPL || hr == DISP_E_UNKNOWNNAME) {
      if (IDispatchEx* ex = dispatch_ex()) {
        unique_bstr bstr(name);
        hr = ex->GetDispID(bstr.get(), fdexNameCaseInsensitive, &id);
      }
    }
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND || hr == E_NOTIMPL) {
      throw Error::vb(vb_error::kObjectDoesNotSupportMember);
    }
    if (FAILED(hr)) {
      throw Error(hr, L"Automation error " + hresult_text(hr) + L" looking up '" + text + L"'");
    }
    names_[id] = std::move(text);
    return id;
  }

  Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) override {
    const size_t count = args.size();
    // The callee sees the arguments last to first; by-reference ones point
    // into values, which receives what the callee writes back.
    auto values = std::make_unique<unique_variant[]>(count);
    std::vector<VARIANTARG> slots(count);
    for (size_t i = 0; i < count; ++i) {
      to_variant(args[i].value, &values[i]);
      VARIANTARG& slot = slots[count - 1 - i];
      if (args[i].by_ref) {
        VariantInit(&slot);
        V_VT(&slot) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&slot) = &values[i];
      } else {
        slot = values[i];
      }
    }
    const bool put = has_kind(kind, InvokeKind::PropertyPut) || has_kind(kind, InvokeKind::PropertyPutRef);
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{slots.data(), put ? &put_id : nullptr, static_cast<UINT>(count), put ? 1u : 0u};
    const WORD flags = static_cast<WORD>(kind);

    unique_variant result;
    EXCEPINFO excep{};
    HRESULT hr;
    if (IDispatchEx* ex = dispatch_ex()) {
      hr = ex->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : &result, &excep,
                        nullptr);
    } else {
      UINT arg_err = 0;
      hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                           put ? nullptr : &result, &excep, &arg_err);
    }
    if (hr == DISP_E_EXCEPTION && excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    unique_bstr description, source, help_file;
    description.reset(excep.bstrDescription);
    source.reset(excep.bstrSource);
    help_file.reset(excep.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION) {
      int32_t number = error_number(excep);
      std::wstring text = description.str();
      if (text.empty()) {
        text = number > 0 && number < 65536 ? Error::vb(number).description()
                                            : failure_text(excep.scode, id);
      }
      throw Error(number, std::move(text), source.str());
    }
    // Wine's VBScript objects return an error they raise as its HRESULT,
    // without EXCEPINFO or IErrorInfo: the VB number is all there is.
    if (is_vb_error(hr)) throw Error::vb(HRESULT_CODE(hr));
    if (FAILED(hr)) throw Error(hr, failure_text(hr, id));

    for (size_t i = 0; i < count; ++i) {
      if (args[i].by_ref) args[i].value = from_variant(values[i]);
    }
    return from_variant(result);
  }

 private:
  IDispatchEx* dispatch_ex() {
    if (!ex_queried_) {
      ex_ = object_.query<IDispatchEx>(__uuidof(IDispatchEx));
      ex_queried_ = true;
    }
    return ex_.get();
  }

  std::wstring failure_text(HRESULT hr, DispId id) const {
    auto name = names_.find(id);
    std::wstring member = name != names_.end() ? L"'" + name->second + L"'"
                                               : L"dispatch id " + std::to_wstring(id);
    return L"Automation error " + hresult_text(hr) + L" calling " + member;
  }

  com_ptr<IDispatch> object_;
  com_ptr<IDispatchEx> ex_;
  bool ex_queried_ = false;
  // Names looked up so far, for error texts.
  std::unordered_map<DispId, std::wstring> names_;
};

// Writes value back into a by-reference argument of the type the client gave.
void store_by_ref(VARIANTARG& target, const Variant& value) {
  const VARTYPE vt = V_VT(&target);
  if (vt == (VT_BYREF | VT_VARIANT)) {
    replace_variant(value, V_VARIANTREF(&target));
    return;
  }
  const VARTYPE base = vt & ~VT_BYREF;
  unique_variant converted;
  to_variant(value, &converted);
  HRESULT hr = VariantChangeType(&converted, &converted, 0, base);
  if (FAILED(hr)) throw Error::vb(vb_error::kTypeMismatch);
  size_t size = 0;
  switch (base) {
    case VT_I1: case VT_UI1:
      size = 1;
      break;
    case VT_I2: case VT_UI2: case VT_BOOL:
      size = 2;
      break;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR:
      size = 4;
      break;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE:
      size = 8;
      break;
    case VT_DECIMAL:
      *V_DECIMALREF(&target) = V_DECIMAL(&converted);
      return;
    case VT_BSTR:
      SysFreeString(*V_BSTRREF(&target));
      *V_BSTRREF(&target) = V_BSTR(&converted);
      V_VT(&converted) = VT_EMPTY;
      return;
    case VT_DISPATCH: case VT_UNKNOWN:
      if (IUnknown* old = *V_UNKNOWNREF(&target)) old->Release();
      *V_UNKNOWNREF(&target) = V_UNKNOWN(&converted);
      V_VT(&converted) = VT_EMPTY;
      return;
    default:
      throw Error::vb(vb_error::kTypeMismatch);
  }
  // Scalars share the start of the VARIANT's value union.
  std::memcpy(V_BYREF(&target), &V_UI1(&converted), size);
}

// The ForwardingDispatch objects of this module that are alive, so that one
// coming back from a client is known by its address. A private IID would
// also match another module's copy of this class, whose C++ object must not
// be shared.
struct LiveForwarders {
  std::mutex mutex;
  std::unordered_set<const IDispatch*> objects;
};

LiveForwarders& live_forwarders() {
  static LiveForwarders live;
  return live;
}

// The IDispatch face of a C++ Dispatch.
class ForwardingDispatch final : public ComObject<IDispatch> {
 public:
  explicit ForwardingDispatch(DispatchPtr object) : object_(std::move(object)) {
    LiveForwarders& live = live_forwarders();
    std::lock_guard lock(live.mutex);
    live.objects.insert(this);
  }
  ~ForwardingDispatch() override {
    LiveForwarders& live = live_forwarders();
    std::lock_guard lock(live.mutex);
    live.objects.erase(this);
  }

  const DispatchPtr& object() const { return object_; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_INVALIDARG;
    if (count == 0) return S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    try {
      ids[0] = object_->id_of(names[0]);
    } catch (...) {
      // A name the object cannot look up is unknown to an IDispatch client.
      const HRESULT hr = current_failure().hr;
      return hr == E_OUTOFMEMORY ? hr : DISP_E_UNKNOWNNAME;
    }
    // Named arguments are not supported.
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* arg_err) override {
    const UINT count = params ? params->cArgs : 0;
    const UINT named = params ? params->cNamedArgs : 0;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (named > (put ? 1u : 0u) || (named == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
      return DISP_E_NONAMEDARGS;
    }
    try {
      // rgvarg holds the arguments last to first; a put's value (the named
      // argument) comes first and so ends up last, where invoke expects it.
      std::vector<Argument> args;
      args.reserve(count);
      for (UINT i = count; i-- > 0;) {
        const VARIANTARG& arg = params->rgvarg[i];
        Argument a(from_variant(arg), (V_VT(&arg) & VT_BYREF) != 0);
        args.push_back(std::move(a));
      }
      Variant value = object_->invoke(id, static_cast<InvokeKind>(flags & 0xF), args);
      for (UINT k = 0; k < count; ++k) {
        if (args[k].by_ref) store_by_ref(params->rgvarg[count - 1 - k], args[k].value);
      }
      if (result) to_variant(value, result);
      return S_OK;
    } catch (...) {
      return report_current_exception(excep);
    }
  }

 private:
  void* interface_for(REFIID riid) override {
    return IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ? static_cast<IDispatch*>(this) : nullptr;
  }

  DispatchPtr object_;
};

}  // namespace

DispatchPtr wrap_dispatch(IDispatch* object) {
  if (!object) return nullptr;
  {
    LiveForwarders& live = live_forwarders();
    std::lock_guard lock(live.mutex);
    if (live.objects.contains(object)) return static_cast<ForwardingDispatch*>(object)->object();
  }
  return std::make_shared<ComDispatch>(object);
}

com_ptr<IDispatch> com_dispatch_of(const DispatchPtr& object) {
  if (auto* com = dynamic_cast<ComDispatch*>(object.get())) return com_ptr<IDispatch>(com->object());
  return nullptr;
}

com_ptr<IDispatch> to_idispatch(const DispatchPtr& object) {
  if (!object) return nullptr;
  if (com_ptr<IDispatch> com = com_dispatch_of(object)) return com;
  auto* forwarding = new ForwardingDispatch(object);
  return com_ptr<IDispatch>(forwarding);
}

}  // namespace pendrel::win32
