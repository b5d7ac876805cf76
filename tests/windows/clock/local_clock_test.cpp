#include "platform/win32/local_clock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>

namespace pendrel::win32 {
namespace {

Date utc_now() {
  SYSTEMTIME t{};
  GetSystemTime(&t);
  return make_date({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

// The local clock and the zone record agree with the system's own UTC clock:
// Greenwich time = local time + the bias of the zone's current mode.
TEST(SystemClock, LocalTimeAndZoneAgreeWithUtc) {
  SystemClock clock;
  TimeZoneInformation zone;
  zone.Bias = 0x7eadbeef;
  const int32_t mode = clock.GetTimeZoneInformation(zone);
  ASSERT_TRUE(mode == time_zone_id::kUnknown || mode == time_zone_id::kStandard || mode == time_zone_id::kDaylight)
      << mode;
  EXPECT_EQ(zone.StandardName.size() + zone.DaylightName.size(), 64u);  // the raw fields

  const double local = clock.Now().value;
  const double utc = utc_now().value;
  const int32_t bias = zone.Bias + (mode == time_zone_id::kDaylight   ? zone.DaylightBias
                                    : mode == time_zone_id::kStandard ? zone.StandardBias
                                                                      : 0);
  EXPECT_LE(std::abs((utc - local) * 24 * 60 - bias), 1.0) << "bias " << bias;  // also catches an untouched Bias
}

}  // namespace
}  // namespace pendrel::win32
