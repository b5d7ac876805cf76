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

constexpr char32_t kReplacement = 0xFFFD;

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void append_wide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(c);
}

bool is_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

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

std::string to_utf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      const bool high = c >= 0xD800 && c <= 0xDBFF;
      if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
      }
    }
    if (is_surrogate(c) || c > 0x10FFFF) c = kReplacement;
    append_utf8(out, c);
  }
  return out;
}

std::wstring from_utf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!valid || is_surrogate(c) || c > 0x10FFFF) {
      append_wide(out, kReplacement);
      ++i;
      continue;
    }
    append_wide(out, c);
    i += length;
  }
  return out;
}

}  // namespace pendrel
