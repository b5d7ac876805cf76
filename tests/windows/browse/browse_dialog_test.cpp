// Kestrow1 with its real dialog over the reference host's demo fixture, driven
// by window messages from a timer while ShowBrowse runs its modal loop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logon/kestrow_browse.h"
#include "outside/controls.h"
#include "platform/win32/logon/browse_dialog.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/screenshot.h"
#include "support.h"

namespace pendrel::win32 {
namespace {

using testing::rows_of;
using testing::text_of;

// ShowBrowse, its modal loop driven by `action` once the dialog shows.
int32_t show_driven(const outside::KestrowControl& control, std::function<void(HWND)> action) {
  testing::TimerAction driver(testing::each_dialog(std::move(action)));
  return control.show_browse();
}

void type(HWND edit, std::wstring_view text) {
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

void select_row(HWND list, const std::wstring& entry) {
  const std::vector<std::wstring> texts = rows_of(list);
  for (int i = 0; i < static_cast<int>(texts.size()); ++i)
    if (texts[i] == entry) ListView_SetItemState(list, i, LVIS_SELECTED, LVIS_SELECTED);
}

TEST(BrowseDialog, ListsFiltersConfirmsAndCancels) {
  testing::ComApartment apartment;
  const auto [domain_object, computer] = testing::fixture_host(PENDREL_FIXTURE);
  ASSERT_TRUE(computer);
  ui::unique_hwnd owner(CreateWindowExW(0, L"STATIC", L"Logon settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                                    200, nullptr, nullptr, nullptr, nullptr));
  auto kestrow = std::make_shared<logon::KestrowBrowse>(std::make_shared<Win32BrowseDialog>());
  kestrow->set_host_objects(computer, domain_object);
  const outside::KestrowControl control(kestrow);
  control.set_options(0x47);
  control.set_owner_window(static_cast<int32_t>(reinterpret_cast<intptr_t>(owner.get())));
  control.set_target_computer(L"\\\\PC042");

  // (Title, owner, Cancel and a confirmed choice reaching the list: logon_window_test.)
  std::vector<std::wstring> seen;
  BOOL owner_enabled = TRUE, ok_enabled_at_start = TRUE;
  UINT selected_after_clear = 0;
  EXPECT_EQ(show_driven(control,
                        [&](HWND dialog) {
                          HWND list = GetDlgItem(dialog, kBrowseListId);
                          HWND filter = GetDlgItem(dialog, kBrowseFilterId);
                          owner_enabled = IsWindowEnabled(owner.get());
                          ok_enabled_at_start = IsWindowEnabled(GetDlgItem(dialog, IDOK));
                          seen.push_back(text_of(GetDlgItem(dialog, kBrowseLookInId)));
                          seen.push_back(std::to_wstring(rows_of(list).size()));
                          type(filter, L"JDOE");
                          for (const std::wstring& row : testing::rows_of(list, 3)) seen.push_back(row);
                          select_row(list, L"SALES\\jdoe");
                          SetWindowTextW(filter, L"");
                          type(filter, L"pc042\\admin");
                          for (const std::wstring& row : rows_of(list)) seen.push_back(row);
                          select_row(list, L"PC042\\Administrators");
                          SetWindowTextW(filter, L"");
                          seen.push_back(std::to_wstring(rows_of(list).size()));
                          selected_after_clear = ListView_GetSelectedCount(list);
                          EXPECT_EQ(ui::save_screenshot(dialog, PENDREL_SCREENSHOTS L"\\browse.png"), L"");
                          SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                        }),
            0);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Look in: \\\\PC042", L"14", L"SALES\\jdoe|John Doe|User",
                                             L"PC042\\Administrator", L"PC042\\Administrators", L"14"}));
  EXPECT_FALSE(owner_enabled) << "the owner is disabled while the dialog is up";
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_FALSE(ok_enabled_at_start);
  EXPECT_EQ(selected_after_clear, 2u) << "rows selected under a filter stay selected";
  EXPECT_EQ(control.selection(), L"PC042\\Administrators;SALES\\jdoe");

  // Esc cancels: non-zero, Selection unchanged.
  EXPECT_NE(show_driven(control,
                        [&](HWND dialog) {
                          HWND list = GetDlgItem(dialog, kBrowseListId);
                          ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
                          SetFocus(list);
                          PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
                        }),
            0);
  EXPECT_EQ(control.selection(), L"PC042\\Administrators;SALES\\jdoe");
}

}  // namespace
}  // namespace pendrel::win32
