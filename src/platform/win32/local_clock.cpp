#include "platform/win32/local_clock.h"

#include <windows.h>

#include <algorithm>
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

// One of the user's default formats of a date-time; "" when the call fails.
template <class Format>
std::wstring formatted(Format format) {
  const int size = format(nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<size_t>(size), L'\0');
  text.resize(static_cast<size_t>(std::max(format(text.data(), size), 1) - 1));
  return text;
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

std::wstring SystemClock::DateTimeText(Date date) {
  const DateParts p = to_parts(date);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(p.year);
  t.wMonth = static_cast<WORD>(p.month);
  t.wDayOfWeek = static_cast<WORD>(p.weekday);
  t.wDay = static_cast<WORD>(p.day);
  t.wHour = static_cast<WORD>(p.hour);
  t.wMinute = static_cast<WORD>(p.minute);
  t.wSecond = static_cast<WORD>(p.second);
  const std::wstring day = formatted([&](wchar_t* out, int size) {
    return GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, out, size, nullptr);
  });
  const std::wstring time = formatted([&](wchar_t* out, int size) {
    return GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &t, nullptr, out, size);
  });
  const bool day_zero = p.year == 1899 && p.month == 12 && p.day == 30;
  if (day_zero) return time;
  return p.hour == 0 && p.minute == 0 && p.second == 0 ? day : day + L" " + time;
}

}  // namespace pendrel::win32
