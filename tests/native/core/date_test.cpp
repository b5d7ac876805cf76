#include <gtest/gtest.h>

#include "core/error.h"
#include "core/variant.h"
#include "raised.h"

namespace pendrel {
namespace {

DateParts parts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  DateParts p;
  p.year = year, p.month = month, p.day = day, p.hour = hour, p.minute = minute, p.second = second;
  return p;
}

void expect_parts(Date date, const DateParts& want, int weekday) {
  const DateParts got = to_parts(date);
  EXPECT_EQ((std::vector<int>{got.year, got.month, got.day, got.hour, got.minute, got.second, got.weekday}),
            (std::vector<int>{want.year, want.month, want.day, want.hour, want.minute, want.second, weekday}))
      << date.value;
}

TEST(Dates, TextAsCStrGivesItUnderEnUs) {
  const Date evening = make_date(parts(2026, 12, 5, 23, 41, 4));
  EXPECT_DOUBLE_EQ(evening.value, 46361 + (23 * 3600 + 41 * 60 + 4) / 86400.0);
  EXPECT_EQ(Variant(evening).to_text(), L"12/5/2026 11:41:04 PM");
  EXPECT_EQ(date_text(make_date(parts(2026, 12, 5))), L"12/5/2026");
  EXPECT_EQ(date_text(make_date(parts(2026, 1, 9, 0, 0, 7))), L"1/9/2026 12:00:07 AM");
  EXPECT_EQ(date_text(Date{0}), L"12:00:00 AM");
  EXPECT_EQ(date_text(Date{-1.25}), L"12/29/1899 6:00:00 AM");
  EXPECT_EQ(date_text(Date{-0.5}), L"12:00:00 PM");
}

TEST(Dates, PartsRoundToTheSecondAndCountTimeForwardBefore1900) {
  expect_parts(Date{-36522.75}, parts(1800, 1, 1, 18), 3);
  expect_parts(Date{-657434.0}, parts(100, 1, 1), 5);
  expect_parts(Date{2958465.0}, parts(9999, 12, 31), 5);
  expect_parts(Date{1.0 - 0.4 / 86400}, parts(1899, 12, 31), 0);  // 23:59:59.6 shows as the next day
  expect_parts(Date{-1.0 - 0.9999999}, parts(1899, 12, 30), 6);   // the same before day zero
  EXPECT_DOUBLE_EQ(make_date(parts(1899, 12, 29, 6)).value, -1.25);
  // Out-of-range parts carry over as DateSerial/TimeSerial do.
  EXPECT_EQ(make_date(parts(2025, 13, 1)), make_date(parts(2026, 1, 1)));
  EXPECT_EQ(make_date(parts(2026, 3, 0)), make_date(parts(2026, 2, 28)));
  EXPECT_THROW(make_date(parts(10000, 1, 1)), Error);
}

TEST(Dates, ConversionsFromTextAndNumbers) {
  EXPECT_EQ(Variant(L"12/5/2026 11:41:04 PM").to_date(), make_date(parts(2026, 12, 5, 23, 41, 4)));
  EXPECT_EQ(Variant(L" 2026-12-05 23:41 ").to_date(), make_date(parts(2026, 12, 5, 23, 41)));
  EXPECT_EQ(Variant(L"1/1/45").to_date(), make_date(parts(1945, 1, 1)));
  EXPECT_EQ(Variant(L"12:30:00 am").to_date(), Date{30.0 / 1440});
  for (const wchar_t* bad : {L"25:00", L"13:00 PM", L"12:61", L"today", L""})
    EXPECT_THROW(Variant(bad).to_date(), Error) << bad;
  EXPECT_EQ(Variant(true).to_date(), Date{-1});
  EXPECT_EQ(error_number([] { Variant(3e6).to_date(); }), vb_error::kOverflow) << "a day after 9999";
  EXPECT_EQ(error_number([] { Variant::null().to_date(); }), vb_error::kInvalidUseOfNull);
}

}  // namespace
}  // namespace pendrel
