#include "platform/win32/variant_convert.h"

#include <cmath>
#include <cstring>

#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"

namespace pendrel::win32 {
namespace {

Variant whole_number(int64_t n) {
  if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
  return Variant(static_cast<double>(n));
}

Variant whole_number(uint64_t n) {
  if (n <= static_cast<uint64_t>(INT32_MAX)) return Variant(static_cast<int32_t>(n));
  return Variant(static_cast<double>(n));
}

Variant fixed_point(double value) {
  if (value == std::trunc(value) && value >= INT32_MIN && value <= INT32_MAX) {
    return Variant(static_cast<int32_t>(value));
  }
  return Variant(value);
}

class safe_array_data {
 public:
  explicit safe_array_data(SAFEARRAY* array) : array_(array) {
    HRESULT hr = SafeArrayAccessData(array_, &data_);
    if (FAILED(hr)) throw Error(hr, L"Cannot read a byte array");
  }
  safe_array_data(const safe_array_data&) = delete;
  safe_array_data& operator=(const safe_array_data&) = delete;
  ~safe_array_data() { SafeArrayUnaccessData(array_); }
  void* get() const { return data_; }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

Bytes bytes_of(const SAFEARRAY* array) {
  if (!array) return {};
  if (array->cbElements != 1) throw Error::vb(vb_error::kTypeMismatch);
  size_t count = 1;
  for (USHORT d = 0; d < array->cDims; ++d) count *= array->rgsabound[d].cElements;
  if (array->cDims == 0 || count == 0) return {};
  safe_array_data data(const_cast<SAFEARRAY*>(array));
  const auto* first = static_cast<const uint8_t*>(data.get());
  return Bytes(first, first + count);
}

Variant object_of(IUnknown* object) {
  if (!object) return Variant(DispatchPtr());
  com_ptr<IDispatch> dispatch;
  if (FAILED(object->QueryInterface(IID_IDispatch, dispatch.put_void())) || !dispatch) {
    throw Error::vb(vb_error::kTypeMismatch);
  }
  return Variant(wrap_dispatch(dispatch.get()));
}

}  // namespace

void to_variant(const Variant& value, VARIANT* out) {
  VARIANT v;
  VariantInit(&v);
  switch (value.kind()) {
    case Variant::Kind::Empty:
      break;
    case Variant::Kind::Null:
      V_VT(&v) = VT_NULL;
      break;
    case Variant::Kind::Missing:
      V_VT(&v) = VT_ERROR;
      V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
      break;
    case Variant::Kind::Text: {
      const std::wstring& text = value.text();
      BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!b) throw std::bad_alloc();
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = b;
      break;
    }
    case Variant::Kind::Int16:
      V_VT(&v) = VT_I2;
      V_I2(&v) = value.to_integer();
      break;
    case Variant::Kind::Int32:
      V_VT(&v) = VT_I4;
      V_I4(&v) = value.to_long();
      break;
    case Variant::Kind::Double:
      V_VT(&v) = VT_R8;
      V_R8(&v) = value.to_double();
      break;
    case Variant::Kind::Boolean:
      V_VT(&v) = VT_BOOL;
      V_BOOL(&v) = value.to_bool() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case Variant::Kind::Date:
      V_VT(&v) = VT_DATE;
      V_DATE(&v) = value.to_date().value;
      break;
    case Variant::Kind::Bytes: {
      const Bytes& bytes = value.bytes();
      SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
      if (!array) throw std::bad_alloc();
      if (!bytes.empty()) {
        void* data = nullptr;
        HRESULT hr = SafeArrayAccessData(array, &data);
        if (FAILED(hr)) {
          SafeArrayDestroy(array);
          throw Error(hr, L"Cannot fill a byte array");
        }
        std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
      }
      V_VT(&v) = VT_ARRAY | VT_UI1;
      V_ARRAY(&v) = array;
      break;
    }
    case Variant::Kind::Object:
      V_VT(&v) = VT_DISPATCH;
      V_DISPATCH(&v) = to_idispatch(value.object()).detach();
      break;
  }
  *out = v;
}

void replace_variant(const Variant& value, VARIANT* in_out) {
  VARIANT made;
  to_variant(value, &made);
  VariantClear(in_out);
  *in_out = made;
}

Variant from_variant(const VARIANT& value) {
  const VARTYPE vt = V_VT(&value);
  if (vt == (VT_BYREF | VT_VARIANT)) {
    return V_VARIANTREF(&value) ? from_variant(*V_VARIANTREF(&value)) : Variant();
  }
  const bool ref = (vt & VT_BYREF) != 0;
  switch (vt & ~VT_BYREF) {
    case VT_EMPTY:
      return Variant();
    case VT_NULL:
      return Variant::null();
    case VT_ERROR:
      if ((ref ? *V_ERRORREF(&value) : V_ERROR(&value)) == DISP_E_PARAMNOTFOUND) {
        return Variant::missing();
      }
      break;
    case VT_BSTR: {
      BSTR b = ref ? *V_BSTRREF(&value) : V_BSTR(&value);
      return Variant(b ? std::wstring(b, SysStringLen(b)) : std::wstring());
    }
    case VT_I2:
      return Variant(static_cast<int16_t>(ref ? *V_I2REF(&value) : V_I2(&value)));
    case VT_I4:
      return Variant(static_cast<int32_t>(ref ? *V_I4REF(&value) : V_I4(&value)));
    case VT_INT:
      return Variant(static_cast<int32_t>(ref ? *V_INTREF(&value) : V_INT(&value)));
    case VT_R8:
      return Variant(ref ? *V_R8REF(&value) : V_R8(&value));
    case VT_R4:
      return Variant(static_cast<double>(ref ? *V_R4REF(&value) : V_R4(&value)));
    case VT_BOOL:
      return Variant((ref ? *V_BOOLREF(&value) : V_BOOL(&value)) != VARIANT_FALSE);
    case VT_DATE:
      return Variant(Date{ref ? *V_DATEREF(&value) : V_DATE(&value)});
    case VT_UI1:
      return Variant(static_cast<int32_t>(ref ? *V_UI1REF(&value) : V_UI1(&value)));
    case VT_I1:
      return Variant(static_cast<int32_t>(ref ? *V_I1REF(&value) : V_I1(&value)));
    case VT_UI2:
      return Variant(static_cast<int32_t>(ref ? *V_UI2REF(&value) : V_UI2(&value)));
    case VT_UI4:
      return whole_number(static_cast<uint64_t>(ref ? *V_UI4REF(&value) : V_UI4(&value)));
    case VT_UINT:
      return whole_number(static_cast<uint64_t>(ref ? *V_UINTREF(&value) : V_UINT(&value)));
    case VT_I8:
      return whole_number(static_cast<int64_t>(ref ? *V_I8REF(&value) : V_I8(&value)));
    case VT_UI8:
      return whole_number(static_cast<uint64_t>(ref ? *V_UI8REF(&value) : V_UI8(&value)));
    case VT_CY: {
      const CY& cy = ref ? *V_CYREF(&value) : V_CY(&value);
      if (cy.int64 % 10000 == 0) return whole_number(static_cast<int64_t>(cy.int64 / 10000));
      return Variant(static_cast<double>(cy.int64) / 10000.0);
    }
    case VT_DECIMAL: {
      DECIMAL dec = ref ? *V_DECIMALREF(&value) : V_DECIMAL(&value);
      double d = 0;
      HRESULT hr = VarR8FromDec(&dec, &d);
      if (FAILED(hr)) throw Error::vb(vb_error::kOverflow);
      return fixed_point(d);
    }
    case VT_DISPATCH:
      return object_of(ref ? *V_DISPATCHREF(&value) : V_DISPATCH(&value));
    case VT_UNKNOWN:
      return object_of(ref ? *V_UNKNOWNREF(&value) : V_UNKNOWN(&value));
    case VT_ARRAY | VT_UI1:
      return Variant(bytes_of(ref ? *V_ARRAYREF(&value) : V_ARRAY(&value)));
    default:
      break;
  }
  throw Error::vb(vb_error::kTypeMismatch);
}

}  // namespace pendrel::win32
