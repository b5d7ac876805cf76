// VB's text to date (CDate): any text gives a date of the automation range or
// raises type mismatch (13); a date written back as CStr writes it reads again
// to the same date.
#include <optional>
#include <string>

#include "core/error.h"
#include "core/variant.h"
#include "fuzz_support.h"

namespace {

using namespace pendrel;
using fuzz::require;

std::optional<Date> read(const std::wstring& text) {
  try {
    return Variant(text).to_date();
  } catch (const Error& e) {
    require(e.number() == vb_error::kTypeMismatch, "text that is no date raises type mismatch, no other");
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::wide_text(data, size);
  const std::optional<Date> date = read(text);
  if (!date) return 0;
  const DateParts p = to_parts(*date);
  require(p.year >= 100 && p.year <= 9999 && p.month >= 1 && p.month <= 12 && p.day >= 1 && p.day <= 31 &&
              p.hour >= 0 && p.hour <= 23 && p.minute >= 0 && p.minute <= 59 && p.second >= 0 && p.second <= 59,
          "a date read from text has its parts in range");
  const std::optional<Date> again = read(date_text(*date));
  require(again.has_value(), "CStr of a date reads as a date");
  require(*again == *date, "CStr of a date reads back to the same date");
  return 0;
}
