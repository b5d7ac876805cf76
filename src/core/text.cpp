#include "core/text.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace pendrel {
namespace {

wchar_t fold(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

std::wstring from_ansi_buffer(const char* buffer, std::size_t size) {
  const void* nul = std::memchr(buffer, 0, size);
  const std::size_t length = nul ? static_cast<const char*>(nul) - buffer : size;
  return from_ansi(std::string_view(buffer, length));
}

void copy_to_buffer(std::wstring_view text, wchar_t* buffer, std::size_t capacity) {
  if (!buffer || capacity == 0) return;
  const std::size_t length = std::min(text.size(), capacity - 1);
  text.copy(buffer, length);
  buffer[length] = L'\0';
}

std::wstring lower_case(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower;
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
