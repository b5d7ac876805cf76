#include "forms/errors.h"

namespace pendrel::forms {

Error form_failure(int32_t number) {
  switch (number) {
    case form_error::kControlArrayElementMissing:
      return Error(number, L"Control array element does not exist");
    case form_error::kInvalidPropertyValue: return Error(number, L"Invalid property value");
    case form_error::kFormAlreadyDisplayed:
      return Error(number, L"Form already displayed; can't show modally");
    case form_error::kIndexOutOfBounds: return Error(number, L"Index out of bounds");
    case form_error::kElementNotFound: return Error(number, L"Element not found");
    case form_error::kKeyNotUnique: return Error(number, L"Key is not unique in collection");
    default: return Error::vb(number);
  }
}

}  // namespace pendrel::forms
