// Each of the three windows as the reference host opens it for the demo
// computer: created by ProgID, given the host's DomainObject and Computer,
// shown modeless and saved as a picture for people to look at. The checks are
// the titles, the caption buttons' font and the colour of the tab pages, read
// back from the screen.
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

struct Shot {
  const wchar_t* prog_id;
  const wchar_t* window;
  const wchar_t* title;
};

void show_and_save(const Shot& shot) {
  ComApartment apartment;
  const auto [domain, computer] = fixture_host(PENDREL_FIXTURE);
  ASSERT_TRUE(computer);
  DispatchPtr form = show_form(shot.prog_id, domain, computer);
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
  const Picture picture(hwnd);
  for (HWND tabs : driver::descendants(hwnd, WC_TABCONTROLW)) {
    EXPECT_EQ(IsWindowVisible(tabs) ? to_ansi(tab_page_fault(tabs, picture)) : "", "");
  }
  form->call(L"Quit");
  pump();
}

// Wine draws the caption buttons with the Marlett font; a prefix without it
// shows letters instead of the close button's cross in every picture.
TEST(WindowScreenshots, CaptionButtonsHaveTheirFont) {
  const HDC dc = GetDC(nullptr);
  const HFONT font = CreateFontW(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Marlett");
  const HGDIOBJ previous = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = L"";
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  EXPECT_STREQ(to_ansi(face).c_str(), "Marlett");
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
