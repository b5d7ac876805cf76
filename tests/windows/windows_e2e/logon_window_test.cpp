// The logon alerts and restrictions window as a console meets it:
// Pendrel.LogonProperties created by ProgID, recording Computer and
// DomainObject handed over late-bound, the real window shown modeless and
// driven with window messages (tab clicks, column clicks, row selection,
// Delete, OK, Esc, Enter), and what the host received checked in order. The
// window's rules in full (failing lookups, watch lists whose box is clear):
// tests/native/windows/logon_test.cpp and logon_lists_test.cpp.
#include <algorithm>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fake_dispatch.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;
using Strings = std::vector<std::wstring>;

constexpr wchar_t kWatchCaption[] = L"&Watch for these specific users/groups ...";
constexpr wchar_t kAllowCaption[] = L"&Allow Interactive logons to these specific users/groups ...";

std::wstring write_line(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  return registry_line(L"Set", key, name, value);
}

// Each row as "name|description", top to bottom.
Strings rows_of(HWND list) { return testing::rows_of(list, 2); }

Variant account(const std::shared_ptr<CallLog>& log, const wchar_t* name, const wchar_t* full_name) {
  auto user = std::make_shared<FakeDispatch>(L"User", log);
  user->on(L"Name").get(name);
  user->on(L"GetUserInformation").call(int32_t{0});
  user->on(L"FullName").get(full_name);
  return DispatchPtr(user);
}

Variant group(const std::shared_ptr<CallLog>& log, const wchar_t* name, const wchar_t* description) {
  auto g = std::make_shared<FakeDispatch>(L"Group", log);
  g->on(L"Name").get(name);
  g->on(L"GetDescription").call(description);
  g->on(L"Description").get(description);
  return DispatchPtr(g);
}

DispatchPtr collection(const std::shared_ptr<CallLog>& log, const wchar_t* name,
                                         std::vector<std::pair<std::wstring, Variant>> entries) {
  auto c = std::make_shared<FakeDispatch>(name, log);
  c->items(std::move(entries));
  c->on(L"GetItems").call(int32_t{0});
  return c;
}

// The sort arrow of each column header of a list view.
std::vector<int> sort_arrows(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  std::vector<int> arrows;
  for (int i = 0; i < static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    arrows.push_back(item.fmt & (HDF_SORTUP | HDF_SORTDOWN));
  }
  return arrows;
}

// What the browse dialog showed when it came up.
struct SeenBrowse {
  HWND owner = nullptr;
  std::wstring title;
  Strings rows;
};

// Works the browse dialog with `action` once it shows, after noting what it shows.
std::function<bool()> browse(SeenBrowse& seen, std::function<void(HWND)> action) {
  return each_dialog([&seen, action = std::move(action)](HWND dialog) {
    seen = {GetWindow(dialog, GW_OWNER), text_of(dialog),
            testing::rows_of(FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr))};
    action(dialog);
  });
}

class LogonWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stored_ = {{L"SendMsgServer", L"EVENTS1"},
               {L"SendLogonMsg", int32_t{1}},
               {L"SendLogoffMsg", int32_t{0}},
               {L"WatchForUsersToLogon", L"SALES\\jdoe;PC042\\Administrators;SALES\\bwhite"},
               {L"AllowOnlyInteractiveLogon", L"SALES\\asmith"}};
    computer_->on(L"Value", kDispIdValue).get(L"PC042");
    computer_->on(L"Name").get(L"PC042");
    computer_->on(L"GetRegistryValue").call([this](std::span<Argument> args) -> Variant {
      auto it = stored_.find(args[2].value.text());
      return it != stored_.end() ? it->second : Variant(L"");
    });
    computer_->on(L"SetRegistryValue").call(int32_t{0});
    resolving_host();
  }

  void TearDown() override {
    form_.reset();
    pump();
  }

  // Host objects that name every account of the stored lists.
  void resolving_host() {
    computer_->on(L"Users").get(
        collection(log_, L"ComputerUsers", {{L"Administrator", account(log_, L"Administrator", L"Built-in")}}));
    computer_->on(L"LocalLocalGroups")
        .get(collection(log_, L"LocalLocalGroups",
                        {{L"Administrators",
                          group(log_, L"Administrators", L"Members can fully administer the computer")}}));
    computer_->on(L"Domain").get(L"SALES");
    auto sales = std::make_shared<FakeDispatch>(L"SALES", log_);
    sales->on(L"Count").get(int32_t{1});
    sales->on(L"GetGroups").call(int32_t{0});
    sales->on(L"GlobalGroups").get(collection(log_, L"GlobalGroups", {}));
    sales->on(L"LocalGroups").get(collection(log_, L"LocalGroups", {}));
    sales->on(L"Users").get(collection(log_, L"DomainUsers",
                                       {{L"jdoe", account(log_, L"jdoe", L"John Doe")},
                                        {L"asmith", account(log_, L"asmith", L"Ann Smith")},
                                        {L"bwhite", account(log_, L"bwhite", L"Bob White")}}));
    domain_object_->on(L"Domains").get([sales](std::span<Argument> args) -> Variant {
      if (args[0].value.text() != L"SALES") throw Error::vb(vb_error::kInvalidProcedureCall);
      return Variant(DispatchPtr(sales));
    });
  }

  // Creates the class, hands it the host objects, shows it modeless and waits
  // for its activation to fill the four lists.
  void open() {
    form_ = create(L"Pendrel.LogonProperties");
    ASSERT_TRUE(form_);
    form_->set(L"DomainObject", domain_object_);
    form_->set(L"Computer", computer_);
    form_->call(L"Show");
    hwnd_ = hwnd_of(form_);
    ASSERT_TRUE(IsWindow(hwnd_));
    ASSERT_TRUE(pump_until([&] {
      for (const auto& call : log_->calls())
        if (call.member == L"GetRegistryValue" && call.args.at(2).text() == L"DenyInteractiveLogon") return true;
      return false;
    })) << "not activated; title " << to_ansi(text_of(hwnd_));
    pump();
    // The frames by their group boxes' captions; of the two watch frames only
    // the logon one is enabled: its box is checked.
    for (HWND box : driver::descendants(hwnd_, WC_BUTTONW, kWatchCaption)) {
      HWND list = FindWindowExW(GetParent(box), nullptr, WC_LISTVIEWW, nullptr);
      if (IsWindowEnabled(list)) logon_frame_ = GetParent(box), logon_list_ = list;
    }
    allow_frame_ = GetParent(driver::descendant(hwnd_, WC_BUTTONW, kAllowCaption));
    allow_list_ = FindWindowExW(allow_frame_, nullptr, WC_LISTVIEWW, nullptr);
    tabs_ = FindWindowExW(hwnd_, nullptr, WC_TABCONTROLW, nullptr);
    logon_box_ = FindWindowExW(hwnd_, nullptr, L"Button", L"Send Log O&n Event Message");
    logoff_box_ = FindWindowExW(hwnd_, nullptr, L"Button", L"Send Log &Off Event Message");
    server_ = FindWindowExW(hwnd_, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(logon_list_ && allow_list_ && tabs_ && logon_box_ && logoff_box_ && server_)
        << !!logon_list_ << !!allow_list_ << !!tabs_ << !!logon_box_ << !!logoff_box_ << !!server_;
  }

  bool visible() const { return IsWindowVisible(hwnd_) != FALSE; }

  // The save of an untouched window, the logon list as given. (The kinds
  // written, Long flags and String texts: vbs_logon_test.)
  static Strings save_lines(const std::wstring& logon_list) {
    return {write_line(L"Settings", L"SendMsgServer", L"\"EVENTS1\""),
            write_line(L"Settings", L"SendLogonMsg", L"1"),
            write_line(L"Settings", L"SendLogoffMsg", L"0"),
            write_line(L"Restrictions", L"WatchForUsersToLogon", L"\"" + logon_list + L"\""),
            write_line(L"Restrictions", L"AllowOnlyInteractiveLogon", L"\"SALES\\asmith\""),
            write_line(L"Restrictions", L"DenyInteractiveLogon", L"\"\"")};
  }

  ComApartment apartment_;
  std::shared_ptr<CallLog> log_ = std::make_shared<CallLog>();
  std::shared_ptr<FakeDispatch> computer_ = std::make_shared<FakeDispatch>(L"Computer", log_);
  std::shared_ptr<FakeDispatch> domain_object_ = std::make_shared<FakeDispatch>(L"DomainObject", log_);
  std::map<std::wstring, Variant> stored_;
  DispatchPtr form_;
  HWND hwnd_ = nullptr;
  HWND tabs_ = nullptr;
  HWND logon_frame_ = nullptr;
  HWND logon_list_ = nullptr;
  HWND allow_frame_ = nullptr;
  HWND allow_list_ = nullptr;
  HWND logon_box_ = nullptr;
  HWND logoff_box_ = nullptr;
  HWND server_ = nullptr;
};

TEST_F(LogonWindowTest, TabsSortingDeleteAndEnterWriteWhatTheRowsHold) {
  open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(text_of(hwnd_), L"Interactive Logon Properties of PC042");
  EXPECT_EQ(text_of(server_), L"EVENTS1");
  EXPECT_EQ(SendMessageW(logon_box_, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(logoff_box_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(rows_of(logon_list_),
            (Strings{L"SALES\\jdoe|John Doe", L"PC042\\Administrators|Members can fully administer the computer",
                     L"SALES\\bwhite|Bob White"}));
  EXPECT_EQ(rows_of(allow_list_), (Strings{L"SALES\\asmith|Ann Smith"}));

  // The first tab shows the logon box; the third brings its frame over both boxes.
  EXPECT_EQ(under_middle_of(logon_box_), logon_box_);
  click_tab(tabs_, 2);
  EXPECT_EQ(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0), 2);
  for (HWND box : {logon_box_, logoff_box_}) {
    HWND seen = under_middle_of(box);
    EXPECT_TRUE(seen == allow_frame_ || IsChild(allow_frame_, seen)) << "the allow frame leaves a box uncovered";
  }
  select_tab(tabs_, 0);
  EXPECT_EQ(under_middle_of(logon_box_), logon_box_);
  HWND seen = under_middle_of(logon_list_);
  EXPECT_TRUE(seen == logon_list_ || IsChild(logon_list_, seen));

  // Name ascending, then flipped; then the description ascending.
  click_column(logon_list_, 0);
  EXPECT_EQ(rows_of(logon_list_),
            (Strings{L"PC042\\Administrators|Members can fully administer the computer", L"SALES\\bwhite|Bob White",
                     L"SALES\\jdoe|John Doe"}));
  click_column(logon_list_, 0);
  EXPECT_EQ(rows_of(logon_list_),
            (Strings{L"SALES\\jdoe|John Doe", L"SALES\\bwhite|Bob White",
                     L"PC042\\Administrators|Members can fully administer the computer"}));
  // The header shows the order on the sorted column only.
  EXPECT_EQ(sort_arrows(logon_list_), (std::vector<int>{HDF_SORTDOWN, 0}));
  click_column(logon_list_, 1);
  EXPECT_EQ(sort_arrows(logon_list_), (std::vector<int>{0, HDF_SORTUP}));
  EXPECT_EQ(rows_of(logon_list_),
            (Strings{L"SALES\\bwhite|Bob White", L"SALES\\jdoe|John Doe",
                     L"PC042\\Administrators|Members can fully administer the computer"}));

  select_row(logon_list_, 1);
  click(FindWindowExW(logon_frame_, nullptr, L"Button", L"&Delete"));
  EXPECT_EQ(rows_of(logon_list_), (Strings{L"SALES\\bwhite|Bob White",
                                           L"PC042\\Administrators|Members can fully administer the computer"}));
  log_->clear();

  // Enter in the server box is OK.
  press(server_, VK_RETURN);
  EXPECT_EQ(log_->trace(), save_lines(L"SALES\\bwhite;PC042\\Administrators"));
  EXPECT_FALSE(visible());
}

TEST_F(LogonWindowTest, EscWritesNothingAndCloses) {
  open();
  ASSERT_FALSE(HasFatalFailure());
  log_->clear();
  press(server_, VK_ESCAPE);
  EXPECT_TRUE(log_->calls().empty()) << to_ansi(log_->trace().front());
  EXPECT_FALSE(visible());
}

TEST_F(LogonWindowTest, AddThroughTheBrowseDialogAppendsOnlyWhenConfirmed) {
  open();
  ASSERT_FALSE(HasFatalFailure());
  const Strings loaded = rows_of(logon_list_);
  HWND add = FindWindowExW(logon_frame_, nullptr, L"Button", L"&Add ...");
  ASSERT_TRUE(add);
  log_->clear();
  SeenBrowse seen;
  {
    TimerAction cancel(browse(seen, [](HWND dialog) { SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); }));
    click(add);
  }
  EXPECT_EQ(seen.owner, hwnd_);
  EXPECT_EQ(seen.title, L"Select Users/Groups to watch for Logons");
  for (const wchar_t* entry : {L"PC042\\Administrator", L"PC042\\Administrators", L"SALES\\jdoe", L"SALES\\asmith"})
    EXPECT_NE(std::find(seen.rows.begin(), seen.rows.end(), entry), seen.rows.end()) << to_ansi(entry);
  EXPECT_EQ(rows_of(logon_list_), loaded);
  {
    // A listed account is refreshed in place, a new one is appended.
    TimerAction confirm(browse(seen, [](HWND dialog) {
      HWND list = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
      const Strings entries = testing::rows_of(list);
      for (int i = 0; i < static_cast<int>(entries.size()); ++i)
        if (entries[i] == L"SALES\\asmith" || entries[i] == L"SALES\\jdoe") select_row(list, i);
      SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }));
    click(add);
  }
  Strings added = loaded;
  added.push_back(L"SALES\\asmith|Ann Smith");
  EXPECT_EQ(rows_of(logon_list_), added);
  for (const std::wstring& line : log_->trace()) EXPECT_EQ(line.find(L"SetRegistryValue"), std::wstring::npos);
  log_->clear();

  click(FindWindowExW(hwnd_, nullptr, L"Button", L"&OK"));
  EXPECT_EQ(log_->trace(), save_lines(L"SALES\\jdoe;PC042\\Administrators;SALES\\bwhite;SALES\\asmith"));
}

// What a user does the moment the title names the computer, posted as input
// from inside the SetWindowText that shows it: OK clicked, or Enter typed.
enum class Early { OkClick, Enter };
Early early_input;

LRESULT CALLBACK act_on_title(int code, WPARAM wparam, LPARAM lparam) {
  const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent.message == WM_SETTEXT && sent.lParam &&
      std::wstring_view(reinterpret_cast<const wchar_t*>(sent.lParam)) == L"Interactive Logon Properties of PC042") {
    if (early_input == Early::OkClick) {
      PostMessageW(FindWindowExW(sent.hwnd, nullptr, L"Button", L"&OK"), BM_CLICK, 0, 0);
    } else {
      PostMessageW(sent.hwnd, WM_KEYDOWN, VK_RETURN, 1);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(LogonWindowTest, OkAsSoonAsTheTitleShowsWritesEveryListWhole) {
  std::wstring watched;
  for (int i = 1; i <= 1000; ++i) {
    wchar_t name[16];
    swprintf(name, 16, L"SALES\\user%04d", i);
    watched += (i > 1 ? L";" : L"") + std::wstring(name);
  }
  stored_[L"WatchForUsersToLogon"] = watched;
  stored_[L"AllowOnlyInteractiveLogon"] = L"SALES\\user0001";
  for (Early early : {Early::OkClick, Early::Enter}) {
    early_input = early;
    log_->clear();
    form_ = create(L"Pendrel.LogonProperties");
    ASSERT_TRUE(form_);
    form_->set(L"DomainObject", domain_object_);
    form_->set(L"Computer", computer_);
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, act_on_title, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    form_->call(L"Show");
    pump_until([&] { return !IsWindowVisible(hwnd_of(form_)); });
    UnhookWindowsHookEx(hook);
    Strings writes;
    for (const std::wstring& line : log_->trace()) {
      if (line.find(L"SetRegistryValue") != std::wstring::npos) writes.push_back(line);
    }
    Strings expected = save_lines(watched);
    expected[4] = write_line(L"Restrictions", L"AllowOnlyInteractiveLogon", L"\"SALES\\user0001\"");
    // Each line compared alone: the watch list is too long to print.
    EXPECT_EQ(writes.size(), expected.size()) << static_cast<int>(early);
    for (size_t i = 0; i < std::min(writes.size(), expected.size()); ++i) {
      EXPECT_TRUE(writes[i] == expected[i]) << static_cast<int>(early) << ": " << to_ansi(writes[i].substr(0, 160));
    }
    form_.reset();
    pump();
  }
}

}  // namespace
}  // namespace pendrel::win32::testing
