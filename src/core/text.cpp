#include "core/text.h"

#include <cstring>

namespace pendrel {
namespace {

wchar_t fold(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

std::wstring from_ansi_buffer(const char* buffer, std::size_t size) {
  const void* nul = std::memchr(buffer, 0, size);
  const std::size_t length = nul ? static_cast<const char*>(nul) - buffer : size;
  return from_ansi(std::string_view(buffer, length));
}

std::wstring trim_spaces(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

bool equal_no_case(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

}  // namespace pendrel
