#include "platform/win32/local_clock.h"

#include <windows.h>

#include <iterator>

namespace pendrel::win32 {
namespace {

SystemTime from_systemtime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// The whole field, NULs and what follows them included: the details window
// cuts the name itself.
template <size_t N>
std::wstring raw_name(const WCHAR (&field)[N]) {
  return std::wstring(std::begin(field), std::end(field));
}

}  // namespace

Date SystemClock::Now() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return make_date({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

int32_t SystemClock::GetTimeZoneInformation(TimeZoneInformation& info) {
  TIME_ZONE_INFORMATION zone{};
  const DWORD result = ::GetTimeZoneInformation(&zone);
  if (result == TIME_ZONE_ID_INVALID) return time_zone_id::kInvalid;
  info.Bias = zone.Bias;
  info.StandardName = raw_name(zone.StandardName);
  info.StandardDate = from_systemtime(zone.StandardDate);
  info.StandardBias = zone.StandardBias;
  info.DaylightName = raw_name(zone.DaylightName);
  info.DaylightDate = from_systemtime(zone.DaylightDate);
  info.DaylightBias = zone.DaylightBias;
  return static_cast<int32_t>(result);
}

}  // namespace pendrel::win32
