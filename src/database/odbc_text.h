// Wide text as the UTF-16 that ODBC's wide calls take, and back; free of the
// ODBC headers so that the conversion can be tested on its own.
#pragma once

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
std::wstring from_utf16(std::u16string_view text);

}  // namespace pendrel::database
