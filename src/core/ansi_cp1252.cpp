// Windows-1252 for the portable build. Its five unassigned bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, as Windows
// converts them, so that every byte survives a round trip.
#include <array>

#include "core/text.h"

namespace pendrel {
namespace {

constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

char to_byte(wchar_t c) {
  const auto code = static_cast<uint32_t>(c);
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == code) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

std::string to_ansi(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out += to_byte(c);
  return out;
}

std::wstring from_ansi(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte >= 0x80 && byte < 0xA0 ? static_cast<wchar_t>(kHigh[byte - 0x80]) : static_cast<wchar_t>(byte);
  }
  return out;
}

}  // namespace pendrel
