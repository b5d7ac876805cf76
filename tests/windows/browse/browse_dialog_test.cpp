// Kestrow1 with its real dialog over the reference host's demo fixture, alone
// and from the logon window of the registered pendrel.dll: the dialog is
// driven by window messages from a timer while ShowBrowse runs its modal loop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "logon/kestrow_browse.h"
#include "outside/controls.h"
#include "platform/win32/ui/browse_dialog.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/screenshot.h"

namespace pendrel::win32::ui {
namespace {

// Runs `action` on the dialog once it is shown, from a thread timer that the
// dialog's own loop dispatches. A dialog the action left open is cancelled.
struct Driver {
  std::function<void(HWND)> action;
  int ticks = 0;
  int ticks_shown = 0;
  int ticks_after_action = -1;
};
Driver* g_driver = nullptr;

HWND shown_dialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) -> BOOL {
        if (testing::class_of(window) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
  Driver& d = *g_driver;
  HWND dialog = shown_dialog();
  ++d.ticks;
  if (!dialog) {
    if (d.ticks_after_action < 0 && d.ticks == 400) ADD_FAILURE() << "no dialog shown";
    return;
  }
  // Acting a few ticks after the dialog appeared lets it finish painting.
  if (d.ticks_after_action < 0) {
    if (++d.ticks_shown < 4) return;
    d.ticks_after_action = 0;
    d.action(dialog);
  } else if (++d.ticks_after_action == 20) {
    ADD_FAILURE() << "the dialog stayed open";
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  }
}

// Runs `open`, which shows the dialog, while `action` drives it.
template <class Open>
auto driven(Open open, std::function<void(HWND)> action) {
  Driver driver{std::move(action)};
  g_driver = &driver;
  const UINT_PTR timer = SetTimer(nullptr, 0, 25, tick);
  auto result = open();
  KillTimer(nullptr, timer);
  g_driver = nullptr;
  return result;
}

int32_t show_driven(const outside::KestrowControl& control, std::function<void(HWND)> action) {
  return driven([&] { return control.show_browse(); }, std::move(action));
}

std::vector<std::wstring> rows(HWND list) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    wchar_t text[128] = {};
    ListView_GetItemText(list, i, 0, text, 128);
    texts.push_back(text);
  }
  return texts;
}

std::wstring cell(HWND list, int row, int column) {
  wchar_t text[128] = L"poison";
  ListView_GetItemText(list, row, column, text, 128);
  return text;
}

void type(HWND edit, std::wstring_view text) {
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

void select_row(HWND list, const std::wstring& entry) {
  const std::vector<std::wstring> texts = rows(list);
  for (int i = 0; i < static_cast<int>(texts.size()); ++i)
    if (texts[i] == entry) ListView_SetItemState(list, i, LVIS_SELECTED, LVIS_SELECTED);
}

using testing::text_of;

// The visible, enabled descendant of `parent` of that class and text.
HWND visible_child(HWND parent, const wchar_t* cls, const std::wstring& text) {
  struct Search {
    const wchar_t* cls;
    const std::wstring& text;
    HWND found;
  } search{cls, text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (testing::class_of(w) != s.cls || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
        if (!s.text.empty() && text_of(w) != s.text) return TRUE;
        s.found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
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
                            all = rows(list);
                            type(filter, L"JDOE");
                            jdoe = rows(list);
                            jdoe_description = cell(list, 0, 1);
                            jdoe_type = cell(list, 0, 2);
                            select_row(list, L"SALES\\jdoe");
                            SetWindowTextW(filter, L"");
                            type(filter, L"pc042\\admin");
                            admins = rows(list);
                            select_row(list, L"PC042\\Administrators");
                            SetWindowTextW(filter, L"");
                            after_clear = rows(list);
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
                            domain_rows = rows(list);
                            ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
                            SetFocus(list);
                            PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
                          }),
              0);
    EXPECT_EQ(domain_rows, std::vector<std::wstring>(expected_all.begin() + 6, expected_all.end()));
    EXPECT_EQ(control.selection(), L"PC042\\Administrators;SALES\\jdoe");
  }
}

// The logon window's Add button of the logon list opens the dialog through the
// Kestrow1 object the renderer gave the window; confirmed accounts become rows.
TEST(BrowseDialog, AddsAccountsToTheLogonWindow) {
  testing::ComApartment apartment;
  DispatchPtr domain_object = testing::create(L"PendrelHost.DomainObject");
  ASSERT_TRUE(domain_object);
  domain_object->call(L"OpenFixture", {std::wstring(PENDREL_FIXTURE)});
  DispatchPtr computer = domain_object->call(L"GetComputer", {std::wstring(L"PC042")}).to_object();
  DispatchPtr form = testing::create(L"Pendrel.LogonProperties");
  ASSERT_TRUE(form);
  form->set(L"DomainObject", domain_object);
  form->set(L"Computer", computer);
  form->call(L"Show");
  const auto window = reinterpret_cast<HWND>(static_cast<intptr_t>(form->get(L"hwnd").to_long()));
  ASSERT_TRUE(testing::pump_until([&] { return IsWindowVisible(window) && IsWindowEnabled(window); }));
  testing::pump_until([] { return false; }, 300);
  HWND add = visible_child(window, L"Button", L"&Add ...");
  HWND list = visible_child(window, WC_LISTVIEWW, L"");
  ASSERT_TRUE(add && list);
  const std::vector<std::wstring> stored = {L"SALES\\jdoe", L"PC042\\Administrators"};
  ASSERT_EQ(rows(list), stored);

  std::wstring title;
  HWND owner = nullptr;
  driven([&] { return SendMessageW(add, BM_CLICK, 0, 0); },
         [&](HWND dialog) {
           title = text_of(dialog);
           owner = GetWindow(dialog, GW_OWNER);
           HWND accounts = GetDlgItem(dialog, kBrowseListId);
           type(GetDlgItem(dialog, kBrowseFilterId), L"asmith");
           select_row(accounts, L"SALES\\asmith");
           SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
         });
  testing::pump();
  EXPECT_EQ(title, L"Select Users/Groups to watch for Logons");
  EXPECT_EQ(owner, window);
  EXPECT_EQ(rows(list), (std::vector<std::wstring>{L"SALES\\jdoe", L"PC042\\Administrators", L"SALES\\asmith"}));
  EXPECT_EQ(cell(list, 2, 1), L"Anna Smith");

  driven([&] { return SendMessageW(add, BM_CLICK, 0, 0); },
         [&](HWND dialog) {
           HWND accounts = GetDlgItem(dialog, kBrowseListId);
           select_row(accounts, L"SALES\\kiosk");
           SetFocus(accounts);
           PostMessageW(accounts, WM_KEYDOWN, VK_ESCAPE, 0);
         });
  testing::pump();
  EXPECT_EQ(rows(list).size(), 3u) << "a cancelled browse adds nothing";
  form->call(L"Quit");
  testing::pump();
}

}  // namespace
}  // namespace pendrel::win32::ui
