// Shared by the fuzz targets: a broken invariant stops the run with its
// reason, and input bytes become wide text in a way that keeps the kept inputs
// readable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pendrel::fuzz {

inline void require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "broken invariant: %s\n", invariant);
  std::abort();
}

// ASCII stays as it is; 0xFF and the four bytes after it (little-endian) make
// any code unit wchar_t can hold (surrogates, values beyond U+10FFFF); any
// other byte is the Latin-1 character of its value.
inline std::wstring wide_text(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 4 < size) {
      uint32_t unit = 0;
      for (int k = 4; k >= 1; --k) unit = unit << 8 | data[i + k];
      text += static_cast<wchar_t>(unit);
      i += 4;
    } else {
      text += static_cast<wchar_t>(data[i]);
    }
  }
  return text;
}

}  // namespace pendrel::fuzz
