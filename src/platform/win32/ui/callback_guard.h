// Win32 calls our window procedures, hooks, dialog procedures and enumeration
// callbacks from its own C frames, which an exception must never unwind: each
// such callback runs its body through guard_callback, the one catch at that
// boundary.
#pragma once

#include <windows.h>

#include <utility>

namespace pendrel::win32::ui {

// Shows the failure in flight (call only inside a catch) the way a failing
// event of the window `owner` is shown: through its form's error reporter (the
// component's message box), or, for a window without one, in a plain message
// box it owns. Never throws.
void report_callback_failure(HWND owner) noexcept;

// Runs `body` and returns what it returns; when it fails, reports the failure
// for `owner` and returns `failed`.
template <class Result, class Body>
Result guard_callback(HWND owner, Result failed, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    report_callback_failure(owner);
    return failed;
  }
}

}  // namespace pendrel::win32::ui
