#include "forms/text_rules.h"

namespace pendrel::forms {

wchar_t fold_case(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 32);
  // Latin-1 lower-case letters, except the division sign and y with diaeresis,
  // whose capital lies outside Latin-1.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 32);
  return c;
}

int compare_text(std::wstring_view a, std::wstring_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const wchar_t x = fold_case(a[i]);
    const wchar_t y = fold_case(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

wchar_t access_key(std::wstring_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return fold_case(caption[i + 1]);
  }
  return 0;
}

}  // namespace pendrel::forms
