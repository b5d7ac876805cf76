#include "core/error.h"

#include <utility>

#include "core/text.h"

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
