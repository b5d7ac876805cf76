// The two text rules the controls share: comparing without regard to case (the
// order of sorted list and tree items) and the access key of a caption.
#pragma once

#include <string_view>

namespace pendrel::forms {

// <0, 0, >0 as a sorts before, with or after b. Letters of ASCII and Latin-1
// compare without case; everything else by code unit.
int compare_text(std::wstring_view a, std::wstring_view b);

// The character after the first single "&" of a caption, upper-cased; 0 when
// there is none. "&&" stands for a literal ampersand.
wchar_t access_key(std::wstring_view caption);

// The upper-case form of a character under the same rule as compare_text.
wchar_t fold_case(wchar_t c);

}  // namespace pendrel::forms
