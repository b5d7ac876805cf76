// VB's text to number (CDbl, CLng): any text gives a finite number or raises
// type mismatch (13) or overflow (6); a number written back as CStr writes it
// reads again to the same text (or, for the largest doubles, overflows); a minus in front negates it; and a plain
// decimal text agrees with the C library's correctly rounded reading, where
// out of range means overflow when too large and zero when too small.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/error.h"
#include "core/variant.h"
#include "fuzz_support.h"

namespace {

using namespace pendrel;
using fuzz::require;

// The number, or the error number raised.
struct Read {
  std::optional<double> value;
  int32_t error = 0;
};

Read read(const std::wstring& text) {
  try {
    return {Variant(text).to_double(), 0};
  } catch (const Error& e) {
    return {std::nullopt, e.number()};
  }
}

bool plain_decimal(const std::wstring& text) {
  if (text.empty()) return false;
  for (wchar_t c : text)
    if (!(c >= L'0' && c <= L'9') && c != L'.' && c != L'e' && c != L'E' && c != L'+' && c != L'-') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::wide_text(data, size);
  const Read r = read(text);
  require(r.value || r.error == vb_error::kTypeMismatch || r.error == vb_error::kOverflow,
          "text gives a number, type mismatch or overflow");
  if (r.value) require(std::isfinite(*r.value), "a number read from text is finite");

  if (r.value) {
    const std::wstring shown = number_text(*r.value);
    const Read again = read(shown);
    // Fifteen digits round the largest doubles up past the largest double, as in VB.
    if (again.error == vb_error::kOverflow)
      require(std::fabs(*r.value) > 1.79769313486231e308, "CStr of a number overflows only at the top");
    else
      require(again.value && number_text(*again.value) == shown, "CStr of a number reads back to the same text");
  }

  if (!text.empty() && ((text[0] >= L'0' && text[0] <= L'9') || text[0] == L'.')) {
    const Read negated = read(L"-" + text);
    require(negated.error == r.error, "a minus in front changes no error");
    if (r.value) require(*negated.value == -*r.value, "a minus in front negates");
  }

  if (plain_decimal(text)) {
    const std::string ascii(text.begin(), text.end());
    char* end = nullptr;
    errno = 0;
    const double c = std::strtod(ascii.c_str(), &end);
    if (end == ascii.c_str() + ascii.size()) {
      if (errno == ERANGE && std::isinf(c)) {
        require(r.error == vb_error::kOverflow, "a text too large for a double overflows");
      } else if (errno == ERANGE) {
        require(r.value && (*r.value == 0 || *r.value == c), "a text too small for a double reads as zero");
      } else {
        require(r.value && *r.value == c, "a decimal text reads as the nearest double");
      }
    }
  }
  return 0;
}
