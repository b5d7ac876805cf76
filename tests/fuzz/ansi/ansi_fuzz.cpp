// The ANSI conversions: every byte survives bytes -> text -> bytes; text
// -> bytes keeps one byte per character and turns what the code page cannot
// hold into '?'; the buffer helpers never read or write past the size they
// are given (the buffers are exactly that size, so the sanitizer sees it).
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pendrel;
  using fuzz::require;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::wstring text = from_ansi(bytes);
  require(text.size() == bytes.size(), "one character per byte");
  require(to_ansi(text) == bytes, "every byte survives a round trip");

  const auto buffer = std::make_unique<char[]>(size);
  if (size) std::memcpy(buffer.get(), data, size);
  const size_t before_nul = bytes.find('\0') == std::string_view::npos ? size : bytes.find('\0');
  require(from_ansi_buffer(buffer.get(), size) == from_ansi(bytes.substr(0, before_nul)),
          "a buffer's text ends at its first NUL or its end");

  const std::wstring wide = fuzz::wide_text(data, size);
  const std::string narrow = to_ansi(wide);
  require(narrow.size() == wide.size(), "one byte per character");
  const std::wstring back = from_ansi(narrow);
  for (size_t i = 0; i < wide.size(); ++i)
    require(back[i] == wide[i] || narrow[i] == '?', "a character comes back or becomes '?'");

  const size_t capacity = size % 17;
  const auto out = std::make_unique<wchar_t[]>(capacity);
  copy_to_buffer(wide, out.get(), capacity);
  if (capacity) {
    const size_t copied = std::min(wide.size(), capacity - 1);
    require(std::wstring_view(out.get(), copied) == std::wstring_view(wide).substr(0, copied) && out[copied] == 0,
            "a copy is cut to fit and ends in NUL");
  }
  return 0;
}
