#include <algorithm>
#include <cwchar>

#include "platform/win32/ui/gdi.h"
#include "support.h"

namespace pendrel::win32::testing {

namespace {

using unique_hrgn = unique_handle<HRGN, ui::delete_gdi_object>;

std::vector<HWND> descendants(HWND window) {
  std::vector<HWND> found;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM out) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

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

// The pixels of a window as the screen shows them, read back once.
class Picture {
 public:
  explicit Picture(HWND window) {
    GetWindowRect(window, &area_);
    ui::window_dc screen(nullptr);
    memory_.reset(CreateCompatibleDC(screen.get()));
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), area_.right - area_.left, area_.bottom - area_.top));
    previous_ = SelectObject(memory_.get(), bitmap_.get());
    BitBlt(memory_.get(), 0, 0, area_.right - area_.left, area_.bottom - area_.top, screen.get(), area_.left,
           area_.top, SRCCOPY);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  ~Picture() { SelectObject(memory_.get(), previous_); }
  // The colour at a point of the screen.
  COLORREF at(LONG x, LONG y) const { return GetPixel(memory_.get(), x - area_.left, y - area_.top); }

 private:
  RECT area_{};
  ui::unique_hdc memory_;
  ui::unique_hbitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};

int luminance(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }

// The close button's glyph must be the cross, which maps onto itself mirrored
// left to right and top to bottom; a letter does not (Wine without its
// Marlett font draws "r"). Ink is what is darker than halfway from the button
// face to the button text; the button is where Wine and classic Windows draw
// it, at the right of the caption inside the frame, without its 2-pixel edge.
std::wstring close_glyph_fault(HWND window, const Picture& picture) {
  RECT outer{};
  GetWindowRect(window, &outer);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  const LONG frame = client.x - outer.left;
  const RECT glyph{outer.right - frame - GetSystemMetrics(SM_CXSIZE) + 2, outer.top + frame + 4,
                   outer.right - frame - 4, outer.top + frame + GetSystemMetrics(SM_CYSIZE) - 4};
  const int threshold = (luminance(GetSysColor(COLOR_BTNFACE)) + luminance(GetSysColor(COLOR_BTNTEXT))) / 2;
  auto ink = [&](LONG x, LONG y) { return luminance(picture.at(x, y)) < threshold; };
  std::vector<POINT> inked;
  std::wstring art;
  for (LONG y = glyph.top; y < glyph.bottom; ++y) {
    for (LONG x = glyph.left; x < glyph.right; ++x) {
      art += ink(x, y) ? L'#' : L'.';
      if (ink(x, y)) inked.push_back({x, y});
    }
    art += L'/';
  }
  if (!inked.empty()) {
    const auto [left, right] =
        std::minmax_element(inked.begin(), inked.end(), [](POINT a, POINT b) { return a.x < b.x; });
    const LONG x_sum = left->x + right->x;
    const LONG y_sum = inked.front().y + inked.back().y;
    const auto mirrored = std::count_if(inked.begin(), inked.end(),
                                        [&](POINT p) { return ink(x_sum - p.x, p.y) && ink(p.x, y_sum - p.y); });
    const bool big = right->x - left->x >= 4 && inked.back().y - inked.front().y >= 4;
    if (big && mirrored * 10 >= static_cast<long>(inked.size()) * 9) return {};
  }
  return L"the close button shows no cross: " + art;
}

// A tab strip's page shows the button face where no control covers it: the
// colour the form and the controls on the page paint their backgrounds in.
std::wstring tab_page_fault(HWND tabs, const Picture& picture) {
  RECT page{};
  GetClientRect(tabs, &page);
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&page), 2);
  unique_hrgn bare(CreateRectRgnIndirect(&page));
  for (HWND sibling = GetWindow(tabs, GW_HWNDFIRST); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    RECT covered{};
    if (sibling == tabs || !IsWindowVisible(sibling) || !GetWindowRect(sibling, &covered)) continue;
    unique_hrgn control(CreateRectRgnIndirect(&covered));
    CombineRgn(bare.get(), bare.get(), control.get(), RGN_DIFF);
  }
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (LONG y = page.top; y < page.bottom; ++y) {
    for (LONG x = page.left; x < page.right; ++x) {
      if (!PtInRegion(bare.get(), x, y) || picture.at(x, y) == face) continue;
      wchar_t fault[96];
      swprintf(fault, 96, L"the tab page at (%ld, %ld) is %06lx, not the button face %06lx", x - page.left,
               y - page.top, picture.at(x, y), face);
      return fault;
    }
  }
  return {};
}

}  // namespace

std::vector<std::wstring> drawing_faults(HWND window) {
  const Picture picture(window);
  std::vector<std::wstring> faults;
  if (std::wstring fault = close_glyph_fault(window, picture); !fault.empty()) faults.push_back(fault);
  for (HWND control : descendants(window)) {
    if (!IsWindowVisible(control) || class_of(control) != WC_TABCONTROLW) continue;
    if (std::wstring fault = tab_page_fault(control, picture); !fault.empty()) faults.push_back(fault);
  }
  return faults;
}

std::vector<std::wstring> clipped_captions(HWND window) {
  std::vector<std::wstring> clipped;
  for (HWND control : descendants(window)) {
    if (!IsWindowVisible(control)) continue;
    const Fit fit = measure(control);
    if (fit.needed <= fit.available) continue;
    clipped.push_back(text_of(control) + L": needs " + std::to_wstring(fit.needed) + L" px, has " +
                      std::to_wstring(fit.available));
  }
  return clipped;
}

}  // namespace pendrel::win32::testing
