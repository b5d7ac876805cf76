#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>

#include "core/error.h"
#include "core/variant.h"
#include "fake_dispatch.h"
#include "raised.h"

namespace pendrel {
namespace {

using fakes::CallLog;

TEST(VariantNumbers, HalvesRoundToEvenAndValuesOutsideTheTypeOverflow) {
  const std::pair<Variant, int32_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.5, 0}, {2.5000001, 3}, {2147483647.4, 2147483647},
      {-2147483648.5, INT32_MIN}, {true, -1}, {Date{2.5}, 2}, {L"  -3.5 ", -4}, {L"1,000", 1000},
      {L"&HFFFFFFFF", -1}, {L"&O17", 15}};
  for (const auto& [value, want] : cases) EXPECT_EQ(value.to_long(), want) << value.to_text();
  for (double d : {2147483647.5, -2147483649.0, 1e300})
    EXPECT_EQ(error_number([d] { Variant(d).to_long(); }), vb_error::kOverflow) << d;

  EXPECT_EQ(Variant(32766.5).to_integer(), 32766);
  EXPECT_EQ(Variant(-32768).to_integer(), -32768);
  const Error overflow = error_of([] { Variant(32767.5).to_integer(); });
  EXPECT_EQ(overflow.number(), 6);
  EXPECT_EQ(overflow.description(), L"Overflow");
  EXPECT_EQ(overflow.hresult(), static_cast<int32_t>(0x800A0006));
  EXPECT_EQ(error_number([] { Variant(-32769).to_integer(); }), vb_error::kOverflow);
  EXPECT_EQ(error_number([] { Variant(L"40000").to_integer(); }), vb_error::kOverflow);
  EXPECT_EQ(error_number([] { Variant(3.5e38).to_single(); }), vb_error::kOverflow);
  // Too large or too small is the value's magnitude, wherever the digits and the exponent put it.
  for (const std::wstring& text : {std::wstring(L"1e400"), L"1" + std::wstring(400, L'0') + L"e-1"})
    EXPECT_EQ(error_number([&] { Variant(text).to_double(); }), vb_error::kOverflow) << text;
  EXPECT_EQ(Variant(L"0." + std::wstring(330, L'0') + L"1").to_double(), 0.0);
}

TEST(VariantConversions, TypeMismatchAndInvalidUseOfNull) {
  EXPECT_DOUBLE_EQ(Variant(L"+.25").to_double(), 0.25);
  EXPECT_DOUBLE_EQ(Variant(L"1e-400").to_double(), 0.0);
  for (const wchar_t* bad : {L"abc", L"", L"   ", L"1.2.3", L"12abc", L"1e", L"&H", L"\u0661"})
    EXPECT_EQ(error_number([bad] { Variant(bad).to_double(); }), vb_error::kTypeMismatch) << bad;
  EXPECT_EQ(error_number([] { Variant(L"yes").to_bool(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant::missing().to_long(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant(5).text(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant(Bytes{1}).to_long(); }), vb_error::kTypeMismatch);
  EXPECT_EQ(error_number([] { Variant(L"x").to_object(); }), vb_error::kObjectRequired);

  const Variant null = Variant::null();
  EXPECT_EQ(error_number([&] { null.to_long(); }), vb_error::kInvalidUseOfNull);
  EXPECT_EQ(error_number([&] { null.to_text(); }), vb_error::kInvalidUseOfNull);
  EXPECT_EQ(error_number([&] { null.to_bool(); }), vb_error::kInvalidUseOfNull);
  const Variant empty;
  EXPECT_EQ(empty.to_long(), 0);
  EXPECT_EQ(empty.to_text(), L"");
  EXPECT_EQ(empty.to_date(), Date{0});
  EXPECT_EQ(Variant(Bytes{'h', 0, 'i', 0}).to_text(), L"hi");

  const std::pair<Variant, bool> cases[] = {{L" TRUE ", true}, {L"False", false}, {L"0.5", true}, {0.0, false}};
  for (const auto& [value, want] : cases) EXPECT_EQ(value.to_bool(), want) << value.to_text();
  EXPECT_EQ(Variant(true).to_text(), L"True");
}

TEST(VariantNumbers, TextOfNumbersAsCStrGivesIt) {
  EXPECT_EQ(number_text(1e20), L"1E+20");
  EXPECT_EQ(number_text(0.0001), L"0.0001");
  EXPECT_EQ(number_text(0.00001), L"1E-05");
  EXPECT_EQ(number_text(123456789012345.0), L"123456789012345");
  EXPECT_EQ(number_text(1234567890123456.0), L"1.23456789012346E+15");
  EXPECT_EQ(number_text(-0.0), L"0");
  EXPECT_EQ(Variant(0.1 + 0.2).to_text(), L"0.3");
  EXPECT_EQ(Variant(INT32_MIN).to_text(), L"-2147483648");
}

TEST(VariantCompare, VbEqualityAndExactEquality) {
  // {a, b, a = b in VB}
  const std::tuple<Variant, Variant, bool> cases[] = {
      {2, 2.0, true},         {true, -1, true},   {L"2", 2, false}, {L"a", L"A", false},
      {L"a", L"a", true},     {{}, L"", true},    {0, {}, true},    {{}, L"0", false},
      {{}, {}, true},         {Variant::null(), Variant::null(), false}, {Variant::null(), {}, false}};
  for (const auto& [a, b, want] : cases)
    EXPECT_EQ(vb_equal(a, b), want) << CallLog::describe(a) << L" = " << CallLog::describe(b);
  EXPECT_FALSE(Variant(2) == Variant(2.0));
  EXPECT_FALSE(Variant(int16_t{2}) == Variant(2));
  EXPECT_TRUE(Variant(int16_t{2}) == Variant(int16_t{2}));
  EXPECT_TRUE(Variant::null() == Variant::null());
  EXPECT_FALSE(Variant() == Variant::missing());
}

TEST(VariantObjects, ConvertThroughTheDefaultMember) {
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer");
  computer->on(L"Name", kDispIdValue).get(L"PC1");
  const Variant v(DispatchPtr{computer});
  EXPECT_EQ(v.to_text(), L"PC1");
  EXPECT_TRUE(vb_equal(v, Variant(L"PC1")));
  EXPECT_EQ(v.to_object(), computer);
  EXPECT_EQ(computer->trace(), (std::vector<std::wstring>{L"get Computer.Name", L"get Computer.Name"}));
  EXPECT_EQ(error_number([] { Variant(DispatchPtr{}).to_text(); }), vb_error::kObjectVariableNotSet);
}

}  // namespace
}  // namespace pendrel
