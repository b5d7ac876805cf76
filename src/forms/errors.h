// The run-time errors the controls raise, with the numbers and descriptions a
// VB programmer knows from the form engine and the common controls.
#pragma once

#include <cstdint>

#include "core/error.h"

namespace pendrel::forms {

namespace form_error {
inline constexpr int32_t kControlArrayElementMissing = 340;
inline constexpr int32_t kInvalidPropertyValue = 380;
inline constexpr int32_t kFormAlreadyDisplayed = 400;
inline constexpr int32_t kIndexOutOfBounds = 35600;
inline constexpr int32_t kElementNotFound = 35601;
inline constexpr int32_t kKeyNotUnique = 35602;
}  // namespace form_error

// The error with its usual description; VB's own numbers (5, 13 ...) go to
// Error::vb.
Error form_failure(int32_t number);

}  // namespace pendrel::forms
