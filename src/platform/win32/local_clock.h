// This machine's clock and time zone through kernel32: what the details
// window shows as the local time and the local zone.
#pragma once

#include "core/clock.h"

namespace pendrel::win32 {

class SystemClock : public LocalClock {
 public:
  // GetLocalTime, to the second.
  Date Now() override;
  // GetTimeZoneInformation; on failure returns -1 and leaves info untouched.
  int32_t GetTimeZoneInformation(TimeZoneInformation& info) override;
  // GetDateFormatEx and GetTimeFormatEx in the user's default locale: the
  // short date, then the time; the date alone at midnight, the time alone on
  // day zero, as CStr does.
  std::wstring DateTimeText(Date date) override;
};

}  // namespace pendrel::win32
