#include "platform/win32/variant_convert.h"

#include <climits>
#include <cmath>
#include <limits>

#include "core/error.h"
#include "raised.h"
#include "platform/win32/dispatch_client.h"
#include "support.h"

namespace pendrel::win32 {
namespace {

using testing::ComApartment;

int error_number_of(const VARIANT& v) { return error_number([&] { from_variant(v); }); }

TEST(VariantConvert, EveryKindRoundTripsWithItsVariantType) {
  Bytes all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes.push_back(static_cast<uint8_t>(i));
  struct Case {
    Variant value;
    VARTYPE vt;
  };
  const Case cases[] = {
      {Variant(), VT_EMPTY},
      {Variant::null(), VT_NULL},
      {Variant::missing(), VT_ERROR},
      {Variant(L""), VT_BSTR},
      {Variant(std::wstring(L"a\0\"b\"\u00e9\u20ac", 7)), VT_BSTR},
      {Variant(int16_t{-32768}), VT_I2},
      {Variant(int16_t{32767}), VT_I2},
      {Variant(int32_t{INT32_MIN}), VT_I4},
      {Variant(int32_t{INT32_MAX}), VT_I4},
      {Variant(std::numeric_limits<double>::max()), VT_R8},
      {Variant(std::numeric_limits<double>::denorm_min()), VT_R8},
      {Variant(true), VT_BOOL},
      {Variant(Date{-657434.0}), VT_DATE},
      {Variant(Date{2958465.99998843}), VT_DATE},
      {Variant(Bytes{}), VT_ARRAY | VT_UI1},
      {Variant(all_bytes), VT_ARRAY | VT_UI1},
      {Variant(DispatchPtr()), VT_DISPATCH},
  };
  for (const Case& c : cases) {
    unique_variant v;
    to_variant(c.value, &v);
    EXPECT_EQ(V_VT(&v), c.vt) << ::testing::PrintToString(c.value);
    EXPECT_EQ(from_variant(v), c.value);
  }

  unique_variant v;
  to_variant(Variant::missing(), &v);
  EXPECT_EQ(V_ERROR(&v), DISP_E_PARAMNOTFOUND);
  to_variant(Variant(true), v.put());
  EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
  to_variant(Variant(all_bytes), v.put());
  EXPECT_EQ(SafeArrayGetDim(V_ARRAY(&v)), 1u);
  EXPECT_EQ(V_ARRAY(&v)->rgsabound[0].lLbound, 0);
  EXPECT_EQ(V_ARRAY(&v)->rgsabound[0].cElements, 256u);
  to_variant(Variant(DispatchPtr()), v.put());
  EXPECT_EQ(V_DISPATCH(&v), nullptr);
}

TEST(VariantConvert, ClientTypesBecomeTheClosestKindAndReferencesAreReadThrough) {
  auto arrives_as = [](VARTYPE vt, auto set) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = vt;
    set(v);
    return from_variant(v);
  };
  EXPECT_EQ(arrives_as(VT_UI4, [](VARIANT& v) { V_UI4(&v) = INT32_MAX; }), Variant(int32_t{INT32_MAX}));
  EXPECT_EQ(arrives_as(VT_UI4, [](VARIANT& v) { V_UI4(&v) = 0x80000000u; }), Variant(2147483648.0));
  EXPECT_EQ(arrives_as(VT_I8, [](VARIANT& v) { V_I8(&v) = INT32_MIN; }), Variant(int32_t{INT32_MIN}));
  EXPECT_EQ(arrives_as(VT_I8, [](VARIANT& v) { V_I8(&v) = int64_t{INT32_MIN} - 1; }),
            Variant(-2147483649.0));
  EXPECT_EQ(arrives_as(VT_UI8, [](VARIANT& v) { V_UI8(&v) = 1ull << 40; }), Variant(1099511627776.0));
  EXPECT_EQ(arrives_as(VT_R4, [](VARIANT& v) { V_R4(&v) = 1.5f; }), Variant(1.5));
  EXPECT_EQ(arrives_as(VT_CY, [](VARIANT& v) { V_CY(&v).int64 = -30000; }), Variant(int32_t{-3}));
  EXPECT_EQ(arrives_as(VT_CY, [](VARIANT& v) { V_CY(&v).int64 = 25000; }), Variant(2.5));
  EXPECT_EQ(arrives_as(VT_CY, [](VARIANT& v) { V_CY(&v).int64 = 50000000000000; }), Variant(5e9));
  EXPECT_EQ(arrives_as(VT_DECIMAL, [](VARIANT& v) { VarDecFromI4(7, &V_DECIMAL(&v)); }),
            Variant(int32_t{7}));
  EXPECT_EQ(arrives_as(VT_DECIMAL, [](VARIANT& v) { VarDecFromR8(123.25, &V_DECIMAL(&v)); }),
            Variant(123.25));
  // Any non-zero VARIANT_BOOL is true, as VB reads it.
  EXPECT_EQ(arrives_as(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = 1; }), Variant(true));

  // By reference: read through, also a VARIANT that itself refers to a value.
  LONG n = -77;
  unique_bstr text(L"by ref");
  BSTR b = text.get();
  VARIANT inner;
  V_VT(&inner) = VT_BYREF | VT_I4;
  V_I4REF(&inner) = &n;
  EXPECT_EQ(arrives_as(VT_BYREF | VT_BSTR, [&](VARIANT& v) { V_BSTRREF(&v) = &b; }), Variant(L"by ref"));
  EXPECT_EQ(arrives_as(VT_BYREF | VT_VARIANT, [&](VARIANT& v) { V_VARIANTREF(&v) = &inner; }), Variant(int32_t{-77}));
  EXPECT_EQ(arrives_as(VT_BYREF | VT_VARIANT, [](VARIANT& v) { V_VARIANTREF(&v) = nullptr; }), Variant());
}

TEST(VariantConvert, TypesWithoutAKindAreATypeMismatch) {
  ComApartment apartment;
  com_ptr<IStream> stream;  // an object without IDispatch
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
  for (const VARTYPE vt : {VARTYPE{VT_ERROR}, VARTYPE{VT_ARRAY | VT_VARIANT}, VARTYPE{VT_UNKNOWN}}) {
    unique_variant v;
    V_VT(&v) = vt;
    if (vt == VT_ERROR) V_ERROR(&v) = E_FAIL;
    if (vt == VT_UNKNOWN) V_UNKNOWN(&v) = stream.get(), stream->AddRef();
    if (vt & VT_ARRAY) V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    EXPECT_EQ(error_number_of(v), vb_error::kTypeMismatch) << vt;
  }
  unique_variant nothing;
  V_VT(&nothing) = VT_UNKNOWN;
  V_UNKNOWN(&nothing) = nullptr;
  EXPECT_EQ(from_variant(nothing), Variant(DispatchPtr()));
}

}  // namespace
}  // namespace pendrel::win32
