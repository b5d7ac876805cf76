// The variant value that host members, database fields and registry operations
// exchange, with the VB conversions the library relies on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace pendrel {

class Dispatch;
using DispatchPtr = std::shared_ptr<Dispatch>;
using Bytes = std::vector<uint8_t>;

// An automation date: days since 30 December 1899, the fraction the time of day.
struct Date {
  double value = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int weekday = 0;  // 0 Sunday .. 6 Saturday; filled by to_parts
};

Date make_date(const DateParts& parts);
DateParts to_parts(Date date);  // rounded to the nearest second, as VB shows it

class Variant {
 public:
  // Missing stands for an optional argument left out (VB's IsMissing). Double
  // is not a kind the library makes, but hosts hand it over (VBScript numbers
  // beyond 32 bits), so it is kept rather than narrowed on arrival.
  enum class Kind { Empty, Null, Missing, Text, Int16, Int32, Double, Boolean, Date, Bytes, Object };

  Variant() = default;
  Variant(std::wstring text) : value_(std::move(text)) {}
  Variant(const wchar_t* text) : value_(std::wstring(text)) {}
  Variant(int16_t n) : value_(n) {}
  Variant(int32_t n) : value_(n) {}
  Variant(double n) : value_(n) {}
  Variant(bool b) : value_(b) {}
  Variant(Date d) : value_(d) {}
  Variant(Bytes bytes) : value_(std::move(bytes)) {}
  Variant(DispatchPtr object) : value_(std::move(object)) {}

  static Variant null();
  static Variant missing();

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool is_empty() const { return kind() == Kind::Empty; }
  bool is_null() const { return kind() == Kind::Null; }
  bool is_missing() const { return kind() == Kind::Missing; }
  bool is_object() const { return kind() == Kind::Object; }
  bool is_numeric() const;  // integer, double, boolean or date

  // Exact accessors: the value must be of that kind (type mismatch otherwise).
  const std::wstring& text() const;
  const Bytes& bytes() const;
  const DispatchPtr& object() const;  // may be a null pointer ("Nothing")

  // VB conversions (CLng, CInt, CDbl, CSng, CBool, CStr, CDate). Null raises
  // "Invalid use of Null" (94), a value out of range "Overflow" (6), text that
  // is no number "Type mismatch" (13). Rounding is to nearest, halves to even.
  int32_t to_long() const;
  int16_t to_integer() const;
  double to_double() const;
  float to_single() const;
  bool to_bool() const;
  std::wstring to_text() const;
  Date to_date() const;
  // The object reference; "Object required" (424) for any other kind.
  DispatchPtr to_object() const;

  // VB's "=" between two values: numbers by value, texts exactly, Empty as 0
  // or "", a number never equal to a text, Null equal to nothing.
  friend bool vb_equal(const Variant& a, const Variant& b);
  // Same kind and same value; for tests and change detection.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct EmptyTag { bool operator==(const EmptyTag&) const = default; };
  struct NullTag { bool operator==(const NullTag&) const = default; };
  struct MissingTag { bool operator==(const MissingTag&) const = default; };
  std::variant<EmptyTag, NullTag, MissingTag, std::wstring, int16_t, int32_t, double, bool, Date,
               Bytes, DispatchPtr>
      value_;
};

// VB's CLng of a double: round to nearest with halves to even, overflow error
// outside the 32-bit range.
int32_t round_to_long(double value);
// VB's CInt narrowing: overflow error (6) outside -32768..32767.
int16_t narrow_to_integer(int32_t value);

// Text of a number as CStr gives it ("2.5", "1E+20", "-3").
std::wstring number_text(double value);
// Text of a date as CStr gives it under the en-US locale: "12/5/2026 11:41:04 PM",
// the date alone at midnight, the time alone on day zero.
std::wstring date_text(Date date);

}  // namespace pendrel
