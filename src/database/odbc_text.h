// Wide text as the UTF-16 that ODBC's wide calls take, and back; free of the
// ODBC headers so that the conversion can be tested on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pendrel::database {

// The UTF-16 of text (wchar_t holds UTF-32 outside Windows, UTF-16 on it).
// Text that is not Unicode, a code point above U+10FFFF or a surrogate that
// is not half of a pair, raises an Error (5) naming the first such value and
// converts nothing: cut to 16 bits such a value can turn into any character,
// a quote that ends an SQL literal early among them, and replaced it could
// make two different names match the same row.
std::u16string to_utf16(std::wstring_view text);

// The wide text of UTF-16 from a driver; a lone surrogate is kept as it is.
// Units is any 16-bit code unit type (the driver's SQLWCHAR among them), so
// that a driver's buffer converts without a copy first.
template <class Unit>
std::wstring from_utf16(const Unit* text, std::size_t length) {
  constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;
  std::wstring out(length, L'\0');
  std::size_t used = 0;
  for (std::size_t i = 0; i < length; ++i) {
    char32_t c = static_cast<char16_t>(text[i]);
    const char32_t next = i + 1 < length ? static_cast<char16_t>(text[i + 1]) : 0;
    if (!kWideIsUtf16 && c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    }
    out[used++] = static_cast<wchar_t>(c);
  }
  out.resize(used);
  return out;
}
inline std::wstring from_utf16(std::u16string_view text) { return from_utf16(text.data(), text.size()); }

}  // namespace pendrel::database
