#include "platform/win32/ui/gdi.h"
#include "support.h"

namespace pendrel::win32::testing {

namespace {

struct Fit {
  int needed;
  int available;
};

// The room a caption needs and has in its control; needed 0 when the control
// shows no caption of its own.
Fit measure(HWND control) {
  const std::wstring cls = class_of(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  const std::wstring text = text_of(control);
  RECT client{};
  GetClientRect(control, &client);
  if (text.empty()) return {0, 0};
  ui::window_dc dc(control);
  ui::selection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT need{0, 0, client.right, 0};
  if (cls == L"Static") {
    if ((style & SS_TYPEMASK) > SS_RIGHT) return {0, 0};
    const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    DrawTextW(dc.get(), text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | prefix);
    // Wrapped text that is too long to fit shows as clipped lines.
    return {static_cast<int>(need.bottom), static_cast<int>(client.bottom)};
  }
  if (cls != L"Button") return {0, 0};
  DrawTextW(dc.get(), text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      // The box, and the gap to the text, as the button draws them.
      return {static_cast<int>(need.right) + 13 + 4, static_cast<int>(client.right)};
    case BS_GROUPBOX: return {static_cast<int>(need.right) + 2 * 8, static_cast<int>(client.right)};
    default: return {static_cast<int>(need.right) + 2 * 4, static_cast<int>(client.right)};
  }
}

}  // namespace

std::vector<std::wstring> clipped_captions(HWND window) {
  std::vector<HWND> controls;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM out) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&controls));
  std::vector<std::wstring> clipped;
  for (HWND control : controls) {
    if (!IsWindowVisible(control)) continue;
    const Fit fit = measure(control);
    if (fit.needed <= fit.available) continue;
    clipped.push_back(text_of(control) + L": needs " + std::to_wstring(fit.needed) + L" px, has " +
                      std::to_wstring(fit.available));
  }
  return clipped;
}

}  // namespace pendrel::win32::testing
