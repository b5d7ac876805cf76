// This machine's clock and time zone as the details window reads them: the
// current local date-time and the zone record of GetTimeZoneInformation.
#pragma once

#include <cstdint>
#include <string>

#include "core/variant.h"

namespace pendrel {

// A SYSTEMTIME: an absolute date, or (year 0) a rule "the day-th day_of_week
// of month" with day 5 meaning the last one.
struct SystemTime {
  uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
  uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

// TIME_ZONE_INFORMATION. The names are the raw 32-character fields, NULs
// included (GetZoneName cuts them).
struct TimeZoneInformation {
  int32_t Bias = 0;  // minutes; Greenwich time = local time + Bias
  std::wstring StandardName;
  SystemTime StandardDate;
  int32_t StandardBias = 0;
  std::wstring DaylightName;
  SystemTime DaylightDate;
  int32_t DaylightBias = 0;
};

// GetTimeZoneInformation's results.
namespace time_zone_id {
inline constexpr int32_t kInvalid = -1;
inline constexpr int32_t kUnknown = 0;
inline constexpr int32_t kStandard = 1;
inline constexpr int32_t kDaylight = 2;
}  // namespace time_zone_id

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  // VB's Now: the local date-time.
  virtual Date Now() = 0;
  // Fills info; returns a time_zone_id value.
  virtual int32_t GetTimeZoneInformation(TimeZoneInformation& info) = 0;
  // The date-time in this machine's default date and time formats, as VB's
  // CStr gives it. Without a platform of its own to ask, the form of an en-US
  // system: "10/25/2026 3:00:00 AM".
  virtual std::wstring DateTimeText(Date date) { return date_text(date); }
};

}  // namespace pendrel
