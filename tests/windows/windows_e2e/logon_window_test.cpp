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

  // The save of an untouched window, the logon list as given.
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
  click_column(logon_list_, 1);
  EXPECT_EQ(rows_of(logon_list_),
            (Strings{L"SALES\\bwhite|Bob White", L"SALES\\jdoe|John Doe",
                     L"PC042\\Administrators|Members can fully administer the computer"}));
  select_row(logon_list_, 1);
  click(FindWindowExW(logon_frame_, nullptr, L"Button", L"&Delete"));
  EXPECT_EQ(rows_of(logon_list_), (Strings{L"SALES\\bwhite|Bob White",
                                           L"PC042\\Administrators|Members can fully administer the computer"}));
  log_->clear();

  // Enter in the server box is OK.
  SetFocus(server_);
  driver::press_key(server_, VK_RETURN);
  pump();
  EXPECT_EQ(log_->trace(), save_lines(L"SALES\\bwhite;PC042\\Administrators"));
  EXPECT_FALSE(visible());
}

}  // namespace
}  // namespace pendrel::win32::testing
