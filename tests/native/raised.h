// What a call raises, for tests on both builds.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/error.h"

namespace pendrel {

// The number of the error `action` raises, or 0 when it raises none.
template <class F>
int32_t error_number(F&& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// The error `action` must raise.
inline Error error_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return Error(0, L"");
}

// "<number> <description>" of the error `action` raises, or "no error".
template <class F>
std::wstring raised(F&& action) {
  try {
    action();
  } catch (const Error& e) {
    return std::to_wstring(e.number()) + L" " + e.description();
  }
  return L"no error";
}

}  // namespace pendrel
