#include "core/text.h"

#include <algorithm>
#include <cstring>

namespace pendrel {
namespace {

// The next character of wide text, whose wchar_t is UTF-16 on Windows and
// UTF-32 elsewhere; an unpaired surrogate stands for itself.
char32_t next_char(std::wstring_view text, std::size_t& i) {
  const char32_t c = static_cast<char32_t>(text[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size()) {
      const char32_t low = static_cast<char32_t>(text[i]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      }
    }
  }
  return c;
}

void append_char(std::wstring& text, char32_t c) {
  if (sizeof(wchar_t) == 2 && c >= 0x10000) {
    text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    text += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    text += static_cast<wchar_t>(c);
  }
}

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

std::wstring case_folded(std::wstring_view text) {
  std::wstring folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) append_char(folded, fold_case(next_char(text, i)));
  return folded;
}

std::wstring trim_spaces(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

bool equal_no_case(std::wstring_view a, std::wstring_view b) {
  // Folding keeps a character's length in UTF-16 and in UTF-32 alike.
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0, j = 0; i < a.size();)
    if (fold_case(next_char(a, i)) != fold_case(next_char(b, j))) return false;
  return true;
}

}  // namespace pendrel
