// Kestrow1 with its real dialog over the reference host's demo fixture: the
// dialog is driven by window messages from a timer while ShowBrowse runs its
// modal loop. (The logon window's Add buttons: logon_window_test.)
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logon/kestrow_browse.h"
#include "outside/controls.h"
#include "platform/win32/ui/browse_dialog.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/screenshot.h"
#include "support.h"

namespace pendrel::win32::ui {
namespace {

using testing::rows_of;
using testing::row_text;
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
  {
    DispatchPtr domain_object = testing::create(L"PendrelHost.DomainObject");
    ASSERT_TRUE(domain_object);
    domain_object->call(L"OpenFixture", {std::wstring(PENDREL_FIXTURE)});
    DispatchPtr computer = domain_object->call(L"GetComputer", {std::wstring(L"PC042")}).to_object();

    unique_hwnd owner(CreateWindowExW(0, L"STATIC", L"Logon settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                      300, 200, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    auto kestrow = std::make_shared<logon::KestrowBrowse>(std::make_shared<Win32BrowseDialog>());
    kestrow->set_host_objects(computer, domain_object);
    const outside::KestrowControl control(kestrow);
    control.set_options(0x47);
    control.set_title(L"Select Users/Groups to watch for Logons");
    control.set_owner_window(static_cast<int32_t>(reinterpret_cast<intptr_t>(owner.get())));
    control.set_target_computer(L"\\\\PC042");

    std::vector<std::wstring> all, jdoe, admins, after_clear;
    std::wstring title, look_in, jdoe_description, jdoe_type;
    HWND dialog_owner = nullptr;
    BOOL owner_enabled = TRUE, ok_enabled_at_start = TRUE;
    UINT selected_after_clear = 0;
    EXPECT_EQ(show_driven(control,
                          [&](HWND dialog) {
                            HWND list = GetDlgItem(dialog, kBrowseListId);
                            HWND filter = GetDlgItem(dialog, kBrowseFilterId);
                            title = text_of(dialog);
                            look_in = text_of(GetDlgItem(dialog, kBrowseLookInId));
                            dialog_owner = GetWindow(dialog, GW_OWNER);
                            owner_enabled = IsWindowEnabled(owner.get());
                            ok_enabled_at_start = IsWindowEnabled(GetDlgItem(dialog, IDOK));
                            all = rows_of(list);
                            type(filter, L"JDOE");
                            jdoe = rows_of(list);
                            jdoe_description = row_text(list, 0, 1);
                            jdoe_type = row_text(list, 0, 2);
                            select_row(list, L"SALES\\jdoe");
                            SetWindowTextW(filter, L"");
                            type(filter, L"pc042\\admin");
                            admins = rows_of(list);
                            select_row(list, L"PC042\\Administrators");
                            SetWindowTextW(filter, L"");
                            after_clear = rows_of(list);
                            selected_after_clear = ListView_GetSelectedCount(list);
                            EXPECT_EQ(save_screenshot(dialog, PENDREL_SCREENSHOTS L"\\browse.png"), L"");
                            SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                          }),
              0);
    EXPECT_EQ(title, L"Select Users/Groups to watch for Logons");
    EXPECT_EQ(look_in, L"Look in: \\\\PC042");
    EXPECT_EQ(dialog_owner, owner.get());
    EXPECT_FALSE(owner_enabled) << "the owner is disabled while the dialog is up";
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
    EXPECT_FALSE(ok_enabled_at_start);
    const std::vector<std::wstring> expected_all = {
        L"PC042\\Administrator",  L"PC042\\Guest",           L"PC042\\svcbackup",
        L"PC042\\Administrators", L"PC042\\Users",           L"PC042\\Backup Operators",
        L"SALES\\Domain Users",   L"SALES\\Domain Admins",   L"SALES\\Sales Team",
        L"SALES\\Print Operators", L"SALES\\Administrator",  L"SALES\\jdoe",
        L"SALES\\asmith",         L"SALES\\kiosk"};
    EXPECT_EQ(all, expected_all);
    EXPECT_EQ(jdoe, std::vector<std::wstring>{L"SALES\\jdoe"});
    EXPECT_EQ(jdoe_description, L"John Doe");
    EXPECT_EQ(jdoe_type, L"User");
    EXPECT_EQ(admins, (std::vector<std::wstring>{L"PC042\\Administrator", L"PC042\\Administrators"}));
    EXPECT_EQ(after_clear, expected_all);
    EXPECT_EQ(selected_after_clear, 2u) << "rows selected under a filter stay selected";
    EXPECT_EQ(control.selection(), L"PC042\\Administrators;SALES\\jdoe");

    // Esc cancels: non-zero, Selection unchanged. Options 7 lists only the domain's accounts.
    control.set_options(7);
    std::vector<std::wstring> domain_rows;
    EXPECT_NE(show_driven(control,
                          [&](HWND dialog) {
                            HWND list = GetDlgItem(dialog, kBrowseListId);
                            domain_rows = rows_of(list);
                            ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
                            SetFocus(list);
                            PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
                          }),
              0);
    EXPECT_EQ(domain_rows, std::vector<std::wstring>(expected_all.begin() + 6, expected_all.end()));
    EXPECT_EQ(control.selection(), L"PC042\\Administrators;SALES\\jdoe");
  }
}

}  // namespace
}  // namespace pendrel::win32::ui
