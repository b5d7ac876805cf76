// The logon window through real COM: Pendrel.LogonProperties created by
// ProgID, recording host objects handed over late-bound, the real window
// driven with window messages (a tab click, column clicks, a row deleted,
// Enter) and what the host received checked in order. The window's rules in
// full: tests/native/windows/logon_test.cpp and logon_lists_test.cpp.
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "support/accounts.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;
using Strings = std::vector<std::wstring>;

constexpr wchar_t kWatchCaption[] = L"&Watch for these specific users/groups ...";
constexpr wchar_t kAllowCaption[] = L"&Allow Interactive logons to these specific users/groups ...";

// Each row as "name|description", top to bottom.
Strings rows_of(HWND list) { return testing::rows_of(list, 2); }

TEST(LogonWindowTest, TabsSortingDeleteAndEnterWriteWhatTheRowsHold) {
  ComApartment apartment;
  // A host that names every account of the stored lists.
  fakes::FakeAccountHost host(std::make_shared<FakeDispatch>(L"Computer"));
  const std::shared_ptr<CallLog> log = host.log;
  host.users.stock_user(L"Administrator", L"Built-in");
  host.local_local_groups.stock_group(L"Administrators", L"Members can fully administer the computer");
  fakes::FakeDomain& sales = host.domain(L"SALES");
  sales.users.stock_user(L"jdoe", L"John Doe");
  sales.users.stock_user(L"asmith", L"Ann Smith");
  sales.users.stock_user(L"bwhite", L"Bob White");
  const std::map<std::wstring, Variant> stored = {
      {L"SendMsgServer", L"EVENTS1"},
      {L"SendLogonMsg", int32_t{1}},
      {L"SendLogoffMsg", int32_t{0}},
      {L"WatchForUsersToLogon", L"SALES\\jdoe;PC042\\Administrators;SALES\\bwhite"},
      {L"AllowOnlyInteractiveLogon", L"SALES\\asmith"}};
  host.computer->on(L"Domain").get(L"SALES");
  host.computer->on(L"GetRegistryValue").call([&](std::span<Argument> args) -> Variant {
    auto it = stored.find(args[2].value.text());
    return it != stored.end() ? it->second : Variant(L"");
  });
  host.computer->on(L"SetRegistryValue").call(int32_t{0});

  // Its activation fills the four lists and ends with the read of the deny list.
  DispatchPtr form = show_form(L"Pendrel.LogonProperties", host.domain_object, host.computer);
  const HWND window = hwnd_of(form);
  ASSERT_TRUE(pump_until([&] {
    for (const auto& call : log->calls())
      if (call.member == L"GetRegistryValue" && call.args.at(2).text() == L"DenyInteractiveLogon") return true;
    return false;
  })) << "not activated; title " << to_ansi(text_of(window));
  pump();
  // The frames by their group boxes' captions; of the two watch frames only
  // the logon one is enabled: its box is checked.
  HWND logon_frame = nullptr, logon_list = nullptr;
  for (HWND box : driver::descendants(window, WC_BUTTONW, kWatchCaption)) {
    HWND list = FindWindowExW(GetParent(box), nullptr, WC_LISTVIEWW, nullptr);
    if (IsWindowEnabled(list)) logon_frame = GetParent(box), logon_list = list;
  }
  const HWND allow_frame = GetParent(driver::descendant(window, WC_BUTTONW, kAllowCaption));
  const HWND allow_list = FindWindowExW(allow_frame, nullptr, WC_LISTVIEWW, nullptr);
  const HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
  const HWND logon_box = FindWindowExW(window, nullptr, L"Button", L"Send Log O&n Event Message");
  const HWND logoff_box = FindWindowExW(window, nullptr, L"Button", L"Send Log &Off Event Message");
  const HWND server = FindWindowExW(window, nullptr, L"Edit", nullptr);
  ASSERT_TRUE(logon_list && allow_list && tabs && logon_box && logoff_box && server);

  EXPECT_EQ(text_of(window), L"Interactive Logon Properties of PC042");
  EXPECT_EQ(text_of(server), L"EVENTS1");
  EXPECT_EQ(SendMessageW(logon_box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(logoff_box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  const std::wstring jdoe = L"SALES\\jdoe|John Doe", bwhite = L"SALES\\bwhite|Bob White",
                     admins = L"PC042\\Administrators|Members can fully administer the computer";
  EXPECT_EQ(rows_of(logon_list), (Strings{jdoe, admins, bwhite}));
  EXPECT_EQ(rows_of(allow_list), (Strings{L"SALES\\asmith|Ann Smith"}));

  // The first tab shows the logon box; the third brings its frame over both boxes.
  EXPECT_EQ(under_middle_of(logon_box), logon_box);
  click_tab(tabs, 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  for (HWND box : {logon_box, logoff_box}) {
    HWND seen = under_middle_of(box);
    EXPECT_TRUE(seen == allow_frame || IsChild(allow_frame, seen)) << "the allow frame leaves a box uncovered";
  }
  click_tab(tabs, 0);
  EXPECT_EQ(under_middle_of(logon_box), logon_box);
  HWND seen = under_middle_of(logon_list);
  EXPECT_TRUE(seen == logon_list || IsChild(logon_list, seen));

  // Name ascending, then flipped; then the description ascending: header clicks.
  const auto click_column = [&](int column) {
    ASSERT_TRUE(driver::click_header(logon_list, column));
    pump();
  };
  click_column(0);
  EXPECT_EQ(rows_of(logon_list), (Strings{admins, bwhite, jdoe}));
  click_column(0);
  EXPECT_EQ(rows_of(logon_list), (Strings{jdoe, bwhite, admins}));
  click_column(1);
  EXPECT_EQ(rows_of(logon_list), (Strings{bwhite, jdoe, admins}));
  select_row(logon_list, 1);
  click(FindWindowExW(logon_frame, nullptr, L"Button", L"&Delete"));
  EXPECT_EQ(rows_of(logon_list), (Strings{bwhite, admins}));
  log->clear();

  // Enter in the server box is OK: the save of the window as it stands.
  SetFocus(server);
  driver::press_key(server, VK_RETURN);
  pump();
  const auto write = [](const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    return registry_line(L"Set", key, name, value);
  };
  EXPECT_EQ(log->trace(), (Strings{write(L"Settings", L"SendMsgServer", L"\"EVENTS1\""),
                                   write(L"Settings", L"SendLogonMsg", L"1"), write(L"Settings", L"SendLogoffMsg", L"0"),
                                   write(L"Restrictions", L"WatchForUsersToLogon",
                                         L"\"SALES\\bwhite;PC042\\Administrators\""),
                                   write(L"Restrictions", L"AllowOnlyInteractiveLogon", L"\"SALES\\asmith\""),
                                   write(L"Restrictions", L"DenyInteractiveLogon", L"\"\"")}));
  EXPECT_FALSE(IsWindowVisible(window));
  form.reset();
  pump();
}

}  // namespace
}  // namespace pendrel::win32::testing
