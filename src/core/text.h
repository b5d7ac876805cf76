// Wide text is the library's own; registry, INI and Tavisk calls take 8-bit
// text in the system ANSI code page and convert at the call.
#pragma once

#include <string>
#include <string_view>

namespace pendrel {

// Characters the code page cannot hold become '?', as WideCharToMultiByte does
// with its default character. The Windows build converts through CP_ACP, which
// also applies the system's best-fit replacements first (U+0100 becomes "A",
// as in VB's own conversions); the portable build uses Windows-1252, the code
// page of a default Windows install, without best-fit.
// UTF-8; a lone surrogate, or a byte that starts no character, becomes U+FFFD.
std::string to_utf8(std::wstring_view text);
std::wstring from_utf8(std::string_view text);
std::string to_ansi(std::wstring_view text);
std::wstring from_ansi(std::string_view text);

// The text before the first NUL of a fixed-size buffer; the whole buffer when
// it holds none (a full buffer is never read past its end).
std::wstring from_ansi_buffer(const char* buffer, std::size_t size);

// Copies text into a buffer of `capacity` characters, cut to fit and always
// NUL-terminated; nothing is written when there is no room at all.
void copy_to_buffer(std::wstring_view text, wchar_t* buffer, std::size_t capacity);

// Leading and trailing spaces (U+0020 only) removed.
std::wstring trim_spaces(std::wstring_view text);

// The one comparison without regard to case of the whole library: simple
// Unicode case folding, the same on every platform and in every locale
// ("SALES\JÜRGEN" equals "sales\jürgen"; "ß" does not equal "ss").
bool equal_no_case(std::wstring_view a, std::wstring_view b);
// The text with every character folded: the key under which texts that are
// equal_no_case are the same. A surrogate pair is folded as one character.
std::wstring case_folded(std::wstring_view text);
// One character's folded form.
char32_t fold_case(char32_t c);

}  // namespace pendrel
