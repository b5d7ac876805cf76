// Dates in this machine's default form under a German user locale: the test
// runs with LC_ALL=de_DE.UTF-8, from which Wine takes the user's locale.
#include <gtest/gtest.h>

#include "platform/win32/local_clock.h"

namespace pendrel::win32 {
namespace {

TEST(RegionalDates, DateTimeTextInTheUsersDefaultForm) {
  SystemClock clock;
  EXPECT_EQ(clock.DateTimeText(make_date({2026, 10, 25, 3, 0, 0})), L"25.10.2026 03:00:00");
  EXPECT_EQ(clock.DateTimeText(make_date({2026, 10, 25, 0, 0, 0})), L"25.10.2026");  // midnight: the date alone
  EXPECT_EQ(clock.DateTimeText(make_date({1899, 12, 30, 14, 5, 9})), L"14:05:09");   // day zero: the time alone
}

}  // namespace
}  // namespace pendrel::win32
