#include "platform/win32/ui/callback_guard.h"

#include <new>
#include <string>

#include "core/error.h"
#include "core/text.h"
#include "platform/win32/ui/form_window.h"

namespace pendrel::win32::ui {

namespace {

// The failure in flight as the library's error.
Error current_error() {
  try {
    throw;
  } catch (const Error& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return Error(E_OUTOFMEMORY, L"Out of memory");
  } catch (const std::exception& error) {
    return Error(E_FAIL, from_ansi(error.what()));
  } catch (...) {
    return Error(E_FAIL, L"Unexpected failure");
  }
}

}  // namespace

void report_callback_failure(HWND owner) noexcept {
  HWND window = IsWindow(owner) ? GetAncestor(owner, GA_ROOT) : nullptr;
  try {
    const Error error = current_error();
    if (FormWindow* form = FormWindow::of_window(window); form && form->report(error)) return;
    MessageBoxW(window, error.description().c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
  } catch (...) {
    // Nothing is left to tell the user with; the window stays as it is.
  }
}

}  // namespace pendrel::win32::ui
