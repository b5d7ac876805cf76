#include "database/odbc_text.h"

#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "core/error.h"

namespace pendrel::database {
namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool is_high_surrogate(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool is_low_surrogate(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

Error not_unicode(uint32_t c) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(c));
  return Error(vb_error::kInvalidProcedureCall,
               L"Text for the database holds " + std::wstring(hex, hex + std::char_traits<char>::length(hex)) +
                   L", which is not a Unicode character");
}

}  // namespace

std::u16string to_utf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // Through the unsigned type of the same size: a negative wchar_t is out of range too.
    const auto c = static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[i]));
    if (kWideIsUtf16 && is_high_surrogate(c) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
      out += static_cast<char16_t>(c);
      out += static_cast<char16_t>(text[++i]);
    } else if (c > 0x10FFFF || is_high_surrogate(c) || is_low_surrogate(c)) {
      throw not_unicode(c);
    } else if (c > 0xFFFF) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace pendrel::database
