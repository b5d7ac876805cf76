#include "core/error.h"

#include <utility>

namespace pendrel {
namespace {

std::wstring vb_description(int32_t number) {
  switch (number) {
    case vb_error::kInvalidProcedureCall: return L"Invalid procedure call or argument";
    case vb_error::kOverflow: return L"Overflow";
    case vb_error::kTypeMismatch: return L"Type mismatch";
    case vb_error::kObjectVariableNotSet: return L"Object variable or With block variable not set";
    case vb_error::kInvalidUseOfNull: return L"Invalid use of Null";
    case vb_error::kObjectRequired: return L"Object required";
    case vb_error::kCannotCreateObject: return L"ActiveX component can't create object";
    case vb_error::kObjectDoesNotSupportMember: return L"Object doesn't support this property or method";
    case vb_error::kArgumentNotOptional: return L"Argument not optional";
    default: return L"Application-defined or object-defined error";
  }
}

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

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; an unpaired surrogate
// becomes U+FFFD.
std::string to_utf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const char32_t low = static_cast<char32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    append_utf8(out, c);
  }
  return out;
}

}  // namespace

Error::Error(int32_t number, std::wstring description, std::wstring source)
    : number_(number),
      description_(std::move(description)),
      source_(std::move(source)),
      what_(to_utf8(description_)) {}

Error Error::vb(int32_t number) { return Error(number, vb_description(number)); }

int32_t Error::hresult() const noexcept {
  if (number_ > 0 && number_ < 65536) return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number_));
  return number_;
}

}  // namespace pendrel
