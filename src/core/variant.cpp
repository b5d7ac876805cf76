#include "core/variant.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "core/dispatch.h"
#include "core/error.h"
#include "core/text.h"

namespace pendrel {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// 1 January 100 and 31 December 9999, the range of an automation date.
constexpr double kFirstDate = -657434.0;
constexpr double kLastDay = 2958465.0;

// A value is a date of the range when its day is: the first day's times lie
// between -657434 and -657435 (see linear_seconds), the last day's between
// 2958465 and 2958466.
bool in_date_range(double value) { return value > kFirstDate - 1 && value < kLastDay + 1; }
// days_from_civil(1899, 12, 30) counted from 1 January 1970.
constexpr int64_t kEpochOffset = -25569;

[[noreturn]] void raise(int32_t number) { throw Error::vb(number); }

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t floor_mod(int64_t a, int64_t b) { return a - floor_div(a, b) * b; }

// Days from 1 January 1970 in the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = floor_div(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civil_from_days(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = floor_div(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// An automation date before day zero keeps its time of day as a positive
// fraction after the (negative) day: -1.25 is 29 December 1899, 6:00. These
// turn such a value into seconds on a continuous time line and back.
int64_t linear_seconds(double value) {
  if (!in_date_range(value)) raise(vb_error::kOverflow);
  const double day = std::trunc(value);
  const double linear = value >= 0 ? value : day + (day - value);
  return std::llround(linear * kSecondsPerDay);
}

double date_value(int64_t seconds) {
  const int64_t day = floor_div(seconds, kSecondsPerDay);
  const double time = static_cast<double>(floor_mod(seconds, kSecondsPerDay)) / kSecondsPerDay;
  return day >= 0 ? day + time : day - time;
}

Date checked_date(double value) {
  if (!in_date_range(value)) raise(vb_error::kOverflow);
  return Date{value};
}

std::string_view trim_blanks(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Number texts are ASCII; anything wider cannot be a number.
std::optional<std::string> narrow_ascii(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) {
    if (c <= 0 || c >= 0x80) return std::nullopt;
    out += static_cast<char>(c);
  }
  return out;
}

std::optional<double> parse_radix(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  uint64_t n = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n, base);
  if (ec != std::errc() || end != digits.data() + digits.size() || n > 0xFFFFFFFFu) return std::nullopt;
  // Eight hex digits are a 32-bit pattern: &HFFFFFFFF is -1.
  return static_cast<double>(n > 0x7FFFFFFFu ? static_cast<int64_t>(n) - 0x100000000 : static_cast<int64_t>(n));
}

// Whether a decimal text ("123.45e-6", digits and exponent only) that does not
// fit a double is too large rather than too small: the power of ten of its
// first significant digit decides, since leading zeros and the exponent can
// move that digit far from where the text's "e" suggests.
bool beyond_double(std::string_view clean) {
  const size_t e = clean.find('e');
  const std::string_view mantissa = clean.substr(0, e);
  int64_t exponent = 0;
  if (e != std::string_view::npos) {
    size_t i = e + 1;
    const bool negative = i < clean.size() && clean[i] == '-';
    if (i < clean.size() && (clean[i] == '-' || clean[i] == '+')) ++i;
    // Past 10^15 the exact exponent no longer matters: no text is that long.
    for (; i < clean.size() && exponent < 100000000000000; ++i) exponent = exponent * 10 + (clean[i] - '0');
    if (negative) exponent = -exponent;
  }
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const int64_t power = first < point ? static_cast<int64_t>(point - first) - 1 : -static_cast<int64_t>(first - point);
  return power + exponent > 0;
}

// A number as VB reads it from text: blanks around it, a sign, thousands
// separators, a decimal point, an exponent (E or D), or &H / &O prefixes.
std::optional<double> parse_number(std::wstring_view wide) {
  const auto ascii = narrow_ascii(wide);
  if (!ascii) return std::nullopt;
  std::string_view s = trim_blanks(*ascii);
  if (s.size() > 2 && s[0] == '&') {
    const char prefix = static_cast<char>(s[1] | 0x20);
    if (prefix == 'h') return parse_radix(s.substr(2), 16);
    if (prefix == 'o') return parse_radix(s.substr(2), 8);
    return std::nullopt;
  }
  std::string clean;
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool digits = false;
  for (; i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || (s[i] == ',' && digits)); ++i) {
    if (s[i] != ',') clean += s[i];
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    clean += s[i++];
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) clean += s[i], digits = true;
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    clean += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
    const size_t start = i;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) clean += s[i];
    if (i == start) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (ec == std::errc::result_out_of_range) {
    if (beyond_double(clean)) raise(vb_error::kOverflow);
    return 0.0;  // too small: zero, as VB reads it
  }
  if (ec != std::errc() || end != clean.data() + clean.size()) return std::nullopt;
  return negative ? -value : value;
}

// Date and time texts as en-US writes them: "12/5/2026", "2026-12-05",
// "11:41:04 PM", "23:41", or a date followed by a time.
class DateReader {
 public:
  explicit DateReader(std::string_view s) : s_(s) {}

  std::optional<double> read() {
    DateParts parts;
    bool any = false;
    if (looks_like_date()) {
      if (!read_date(parts)) return std::nullopt;
      any = true;
      skip_blanks();
    }
    if (pos_ < s_.size()) {
      if (!read_time(parts)) return std::nullopt;
      any = true;
      skip_blanks();
    }
    if (!any || pos_ != s_.size()) return std::nullopt;
    return make_date(parts).value;
  }

 private:
  bool looks_like_date() const {
    const auto end = s_.find_first_of(" \t");
    const auto token = s_.substr(0, end);
    return token.find_first_of("/-") != std::string_view::npos;
  }

  bool read_date(DateParts& parts) {
    int a, b, c;
    if (!read_int(a)) return false;
    const size_t after_first = pos_;
    const char sep = peek();
    if (sep != '/' && sep != '-') return false;
    ++pos_;
    if (!read_int(b) || peek() != sep) return false;
    ++pos_;
    if (!read_int(c)) return false;
    if (after_first >= 4) {  // year first: 2026-12-05
      parts.year = a, parts.month = b, parts.day = c;
    } else {
      parts.month = a, parts.day = b, parts.year = c < 30 ? 2000 + c : c < 100 ? 1900 + c : c;
    }
    return parts.month >= 1 && parts.month <= 12 && parts.day >= 1 &&
           parts.day <= days_in_month(parts.year, parts.month) && parts.year >= 100 && parts.year <= 9999;
  }

  bool read_time(DateParts& parts) {
    int h = 0, m = 0, s = 0;
    if (!read_int(h)) return false;
    const bool colon = peek() == ':';
    if (colon) {
      ++pos_;
      if (!read_int(m)) return false;
      if (peek() == ':') {
        ++pos_;
        if (!read_int(s)) return false;
      }
    }
    skip_blanks();
    const auto rest = s_.substr(pos_);
    const bool am = rest.size() >= 2 && (rest[0] | 0x20) == 'a' && (rest[1] | 0x20) == 'm';
    const bool pm = rest.size() >= 2 && (rest[0] | 0x20) == 'p' && (rest[1] | 0x20) == 'm';
    if (am || pm) {
      if (h < 1 || h > 12) return false;
      h = h % 12 + (pm ? 12 : 0);
      pos_ += 2;
    } else if (!colon) {
      return false;  // a bare number is no time
    }
    if (h > 23 || m > 59 || s > 59) return false;
    parts.hour = h, parts.minute = m, parts.second = s;
    return true;
  }

  bool read_int(int& out) {
    const size_t start = pos_;
    out = 0;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])) && pos_ - start < 5)
      out = out * 10 + (s_[pos_++] - '0');
    return pos_ > start;
  }

  char peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
  void skip_blanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }

  static int days_in_month(int year, int month) {
    return static_cast<int>(days_from_civil(year + month / 12, month % 12 + 1, 1) - days_from_civil(year, month, 1));
  }

  std::string_view s_;
  size_t pos_ = 0;
};

std::wstring bytes_text(const Bytes& bytes) {
  std::wstring out;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const unsigned high = i + 1 < bytes.size() ? bytes[i + 1] : 0;
    out += static_cast<wchar_t>(bytes[i] | (high << 8));
  }
  return out;
}

std::wstring two_digits(int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }

}  // namespace

Date make_date(const DateParts& p) {
  const int64_t months = int64_t{p.year} * 12 + (p.month - 1);
  const int64_t day = days_from_civil(floor_div(months, 12), floor_mod(months, 12) + 1, 1) + (p.day - 1) - kEpochOffset;
  const int64_t seconds = day * kSecondsPerDay + int64_t{p.hour} * 3600 + int64_t{p.minute} * 60 + p.second;
  const double value = date_value(seconds);
  if (!in_date_range(value)) raise(vb_error::kInvalidProcedureCall);
  return Date{value};
}

DateParts to_parts(Date date) {
  const int64_t seconds = linear_seconds(date.value);
  const int64_t day = floor_div(seconds, kSecondsPerDay);
  const int64_t time = floor_mod(seconds, kSecondsPerDay);
  DateParts p;
  civil_from_days(day + kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(time / 3600);
  p.minute = static_cast<int>(time / 60 % 60);
  p.second = static_cast<int>(time % 60);
  p.weekday = static_cast<int>(floor_mod(day + 6, 7));  // day zero was a Saturday
  return p;
}

int32_t round_to_long(double value) {
  const double floor = std::floor(value);
  const double rest = value - floor;
  double r = floor;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(floor, 2.0) != 0)) r = floor + 1;
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) raise(vb_error::kOverflow);
  return static_cast<int32_t>(r);
}

int16_t narrow_to_integer(int32_t value) {
  if (value < -32768 || value > 32767) raise(vb_error::kOverflow);
  return static_cast<int16_t>(value);
}

std::wstring number_text(double value) {
  if (value == 0) return L"0";  // also -0
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::wstring out;
  for (const char* p = buffer; p != end; ++p) out += static_cast<wchar_t>(*p == 'e' ? 'E' : *p);
  return out;
}

std::wstring date_text(Date date) {
  const DateParts p = to_parts(date);
  const int64_t seconds = linear_seconds(date.value);
  const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  const std::wstring time = std::to_wstring(hour12) + L":" + two_digits(p.minute) + L":" +
                            two_digits(p.second) + (p.hour < 12 ? L" AM" : L" PM");
  const bool day_zero = floor_div(seconds, kSecondsPerDay) == 0;
  if (day_zero) return time;
  const std::wstring day = std::to_wstring(p.month) + L"/" + std::to_wstring(p.day) + L"/" + std::to_wstring(p.year);
  return floor_mod(seconds, kSecondsPerDay) == 0 ? day : day + L" " + time;
}

Variant Variant::null() {
  Variant v;
  v.value_ = NullTag{};
  return v;
}

Variant Variant::missing() {
  Variant v;
  v.value_ = MissingTag{};
  return v;
}

bool Variant::is_numeric() const {
  switch (kind()) {
    case Kind::Int16:
    case Kind::Int32:
    case Kind::Double:
    case Kind::Boolean:
    case Kind::Date: return true;
    default: return false;
  }
}

const std::wstring& Variant::text() const {
  if (auto* p = std::get_if<std::wstring>(&value_)) return *p;
  raise(vb_error::kTypeMismatch);
}

const Bytes& Variant::bytes() const {
  if (auto* p = std::get_if<Bytes>(&value_)) return *p;
  raise(vb_error::kTypeMismatch);
}

const DispatchPtr& Variant::object() const {
  if (auto* p = std::get_if<DispatchPtr>(&value_)) return *p;
  raise(vb_error::kTypeMismatch);
}

namespace {

// VB converts an object to a plain value through its default member.
Variant default_value(const DispatchPtr& object) {
  if (!object) raise(vb_error::kObjectVariableNotSet);
  return object->get(kDispIdValue);
}

}  // namespace

double Variant::to_double() const {
  switch (kind()) {
    case Kind::Empty: return 0;
    case Kind::Null: raise(vb_error::kInvalidUseOfNull);
    case Kind::Text: {
      const auto n = parse_number(std::get<std::wstring>(value_));
      if (!n) raise(vb_error::kTypeMismatch);
      return *n;
    }
    case Kind::Int16: return std::get<int16_t>(value_);
    case Kind::Int32: return std::get<int32_t>(value_);
    case Kind::Double: return std::get<double>(value_);
    case Kind::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case Kind::Date: return std::get<Date>(value_).value;
    case Kind::Object: return default_value(std::get<DispatchPtr>(value_)).to_double();
    default: raise(vb_error::kTypeMismatch);
  }
}

int32_t Variant::to_long() const {
  switch (kind()) {
    case Kind::Int16: return std::get<int16_t>(value_);
    case Kind::Int32: return std::get<int32_t>(value_);
    case Kind::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case Kind::Object: return default_value(std::get<DispatchPtr>(value_)).to_long();
    default: return round_to_long(to_double());
  }
}

int16_t Variant::to_integer() const { return narrow_to_integer(to_long()); }

float Variant::to_single() const {
  const double d = to_double();
  const float f = static_cast<float>(d);
  if (std::isinf(f) && !std::isinf(d)) raise(vb_error::kOverflow);
  return f;
}

bool Variant::to_bool() const {
  switch (kind()) {
    case Kind::Boolean: return std::get<bool>(value_);
    case Kind::Text: {
      const std::wstring t = trim_spaces(std::get<std::wstring>(value_));
      if (equal_no_case(t, L"True")) return true;
      if (equal_no_case(t, L"False")) return false;
      return to_double() != 0;
    }
    case Kind::Object: return default_value(std::get<DispatchPtr>(value_)).to_bool();
    default: return to_double() != 0;
  }
}

std::wstring Variant::to_text() const {
  switch (kind()) {
    case Kind::Empty: return {};
    case Kind::Null: raise(vb_error::kInvalidUseOfNull);
    case Kind::Text: return std::get<std::wstring>(value_);
    case Kind::Int16: return std::to_wstring(std::get<int16_t>(value_));
    case Kind::Int32: return std::to_wstring(std::get<int32_t>(value_));
    case Kind::Double: return number_text(std::get<double>(value_));
    case Kind::Boolean: return std::get<bool>(value_) ? L"True" : L"False";
    case Kind::Date: return date_text(std::get<Date>(value_));
    case Kind::Bytes: return bytes_text(std::get<Bytes>(value_));
    case Kind::Object: return default_value(std::get<DispatchPtr>(value_)).to_text();
    default: raise(vb_error::kTypeMismatch);
  }
}

Date Variant::to_date() const {
  switch (kind()) {
    case Kind::Date: return std::get<Date>(value_);
    case Kind::Text: {
      const auto ascii = narrow_ascii(std::get<std::wstring>(value_));
      const auto value = ascii ? DateReader(trim_blanks(*ascii)).read() : std::nullopt;
      if (!value) raise(vb_error::kTypeMismatch);
      return Date{*value};
    }
    case Kind::Object: return default_value(std::get<DispatchPtr>(value_)).to_date();
    default: return checked_date(to_double());
  }
}

DispatchPtr Variant::to_object() const {
  if (kind() != Kind::Object) raise(vb_error::kObjectRequired);
  return std::get<DispatchPtr>(value_);
}

bool vb_equal(const Variant& a, const Variant& b) {
  using Kind = Variant::Kind;
  if (a.is_null() || b.is_null()) return false;
  if (a.is_object()) return vb_equal(default_value(a.object()), b);
  if (b.is_object()) return vb_equal(a, default_value(b.object()));
  for (const Variant* v : {&a, &b})
    if (v->is_missing() || v->kind() == Kind::Bytes) raise(vb_error::kTypeMismatch);
  const bool a_text = a.kind() == Kind::Text, b_text = b.kind() == Kind::Text;
  if (a_text && b_text) return a.text() == b.text();
  if (a_text) return b.is_empty() && a.text().empty();
  if (b_text) return a.is_empty() && b.text().empty();
  return a.to_double() == b.to_double();
}

bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

}  // namespace pendrel
