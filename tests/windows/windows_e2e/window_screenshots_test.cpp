// Each of the three windows as the reference host opens it for the demo
// computer: created by ProgID, given the host's DomainObject and Computer,
// shown modeless and saved as a picture for people to look at. The checks are
// the titles, that no caption is clipped, the close button's cross and the
// colour of the tab pages.
#include <string>

#include "platform/win32/ui/screenshot.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

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
  for (const std::wstring& clipped : clipped_captions(hwnd)) {
    ADD_FAILURE() << "clipped: " << to_ansi(clipped);
  }
  for (const std::wstring& fault : drawing_faults(hwnd)) {
    ADD_FAILURE() << to_ansi(fault);
  }
  form->call(L"Quit");
  pump();
}

TEST(WindowScreenshots, frmUnavailable) {
  show_and_save({L"Pendrel.UnavailableProperties", L"frmUnavailable", L"Unavailable Properties of PC042"});
}

TEST(WindowScreenshots, frmComputerDetails) {
  show_and_save({L"Pendrel.Properties", L"frmComputerDetails", L"SALES\\PC042"});
}

TEST(WindowScreenshots, frmLogonProperty) {
  show_and_save({L"Pendrel.LogonProperties", L"frmLogonProperty", L"Interactive Logon Properties of PC042"});
}

}  // namespace
}  // namespace pendrel::win32::testing
