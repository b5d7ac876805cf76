// Each of the three windows as the reference host opens it for the demo
// computer: created by ProgID, given the host's DomainObject and Computer,
// shown modeless and saved as a picture for people to look at. The checks are
// the titles, the close button's cross and the colour of the tab pages, read
// back from the screen.
#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/screenshot.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

using unique_hrgn = unique_handle<HRGN, ui::delete_gdi_object>;

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

// What a shown window draws wrong: a close button without its cross, a tab
// page in another colour than its controls.
std::vector<std::wstring> drawing_faults(HWND window) {
  const Picture picture(window);
  std::vector<std::wstring> faults;
  if (std::wstring fault = close_glyph_fault(window, picture); !fault.empty()) faults.push_back(fault);
  for (HWND control : driver::descendants(window, WC_TABCONTROLW)) {
    if (!IsWindowVisible(control)) continue;
    if (std::wstring fault = tab_page_fault(control, picture); !fault.empty()) faults.push_back(fault);
  }
  return faults;
}


struct Shot {
  const wchar_t* prog_id;
  const wchar_t* window;
  const wchar_t* title;
};

void show_and_save(const Shot& shot) {
  ComApartment apartment;
  DispatchPtr domain = create(L"PendrelHost.DomainObject");
  ASSERT_TRUE(domain);
  domain->call(L"OpenFixture", {std::wstring(PENDREL_FIXTURE)});
  DispatchPtr computer = domain->call(L"GetComputer", {std::wstring(L"PC042")}).object();
  DispatchPtr form = create(shot.prog_id);
  ASSERT_TRUE(form);
  form->set(L"DomainObject", domain);
  form->set(L"Computer", computer);
  form->call(L"Show");
  HWND hwnd = hwnd_of(form);
  ASSERT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(pump_until([&] { return IsWindowVisible(hwnd) && text_of(hwnd) == shot.title; }))
      << "title " << to_ansi(text_of(hwnd));
  // Whatever the window does on its first idle moments is painted before the picture.
  pump_until([] { return false; }, 500);

  const std::wstring png = std::wstring(PENDREL_SCREENSHOTS) + L"\\" + shot.window + L".png";
  EXPECT_EQ(ui::save_screenshot(hwnd, png), L"");
  WIN32_FILE_ATTRIBUTE_DATA file{};
  ASSERT_TRUE(GetFileAttributesExW(png.c_str(), GetFileExInfoStandard, &file));
  EXPECT_GT(file.nFileSizeLow, 1000u);
  for (const std::wstring& fault : drawing_faults(hwnd)) {
    ADD_FAILURE() << to_ansi(fault);
  }
  form->call(L"Quit");
  pump();
}

TEST(WindowScreenshots, EachWindow) {
  for (const Shot& shot : {Shot{L"Pendrel.UnavailableProperties", L"frmUnavailable", L"Unavailable Properties of PC042"},
                           Shot{L"Pendrel.Properties", L"frmComputerDetails", L"SALES\\PC042"},
                           Shot{L"Pendrel.LogonProperties", L"frmLogonProperty",
                                L"Interactive Logon Properties of PC042"}}) {
    SCOPED_TRACE(to_ansi(shot.window));
    show_and_save(shot);
  }
}

}  // namespace
}  // namespace pendrel::win32::testing
