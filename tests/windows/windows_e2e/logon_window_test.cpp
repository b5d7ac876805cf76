// The logon alerts and restrictions window as a console meets it:
// Pendrel.LogonProperties created by ProgID, recording Computer and
// DomainObject handed over late-bound, the real window shown modeless and
// driven with window messages (tab clicks, column clicks, row selection,
// Delete, OK, Esc, Enter), and what the host received checked in order.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fake_dispatch.h"

namespace pendrel::win32::testing {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;
using Strings = std::vector<std::wstring>;

constexpr wchar_t kWatchCaption[] = L"&Watch for these specific users/groups ...";
constexpr wchar_t kAllowCaption[] = L"&Allow Interactive logons to these specific users/groups ...";

std::wstring read_line(const std::wstring& key, const std::wstring& name, const std::wstring& fallback) {
  return L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\" + key + L"\", \"" + name +
         L"\", " + fallback + L")";
}

std::wstring write_line(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  return L"call Computer.SetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\" + key + L"\", \"" + name +
         L"\", " + value + L")";
}

std::wstring row_text(HWND list, int row, int column = 0) {
  wchar_t text[512] = L"";
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Each row as "name|description", top to bottom.
Strings rows_of(HWND list) {
  Strings rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) rows.push_back(row_text(list, i) + L"|" + row_text(list, i, 1));
  return rows;
}

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

// Acts on the browse dialog from a thread timer that the dialog's own modal
// loop dispatches; a dialog left open is cancelled.
class BrowseDriver {
 public:
  explicit BrowseDriver(std::function<void(HWND)> action) : action_(std::move(action)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 25, &tick);
  }
  ~BrowseDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  BrowseDriver(const BrowseDriver&) = delete;
  BrowseDriver& operator=(const BrowseDriver&) = delete;

  HWND owner = nullptr;
  std::wstring title;
  Strings rows;

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    BrowseDriver* d = current_;
    if (!d) return;
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM found) -> BOOL {
          if (class_of(w) != L"#32770" || !IsWindowVisible(w)) return TRUE;
          *reinterpret_cast<HWND*>(found) = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    if (d->acted_) {
      SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      return;
    }
    d->acted_ = true;
    d->owner = GetWindow(dialog, GW_OWNER);
    d->title = text_of(dialog);
    HWND list = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) d->rows.push_back(row_text(list, i));
    d->action_(dialog);
  }

  static inline BrowseDriver* current_ = nullptr;
  std::function<void(HWND)> action_;
  bool acted_ = false;
  UINT_PTR timer_ = 0;
};

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

  // Host objects whose every lookup raises an error.
  void failing_host() {
    const Error broken = Error::vb(vb_error::kInvalidProcedureCall);
    computer_->on(L"Users").raise(broken);
    computer_->on(L"GetUsers").raise(broken);
    computer_->on(L"LocalLocalGroups").raise(broken);
    domain_object_->on(L"Domains").raise(broken);
  }

  // Creates the class, hands it the host objects, shows it modeless and waits
  // for its activation to fill the four lists.
  void open() {
    form_ = create(L"Pendrel.LogonProperties");
    ASSERT_TRUE(form_);
    form_->set(L"DomainObject", domain_object_);
    form_->set(L"Computer", computer_);
    form_->call(L"Show");
    hwnd_ = reinterpret_cast<HWND>(static_cast<intptr_t>(form_->get(L"hwnd").to_long()));
    ASSERT_TRUE(IsWindow(hwnd_));
    ASSERT_TRUE(pump_until([&] {
      for (const auto& call : log_->calls())
        if (call.member == L"GetRegistryValue" && call.args.at(2).text() == L"DenyInteractiveLogon") return true;
      return false;
    })) << "not activated; title " << to_ansi(text_of(hwnd_));
    pump();
    for (HWND frame : children_of_class(hwnd_, L"PendrelFrame")) {
      std::wstring caption;
      for (HWND w = GetWindow(frame, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        const bool group_box = (GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        if (group_box && class_of(w) == L"Button") caption = text_of(w);
      }
      HWND list = FindWindowExW(frame, nullptr, WC_LISTVIEWW, nullptr);
      // Of the two watch frames only the logon one is enabled: its box is checked.
      if (caption == kWatchCaption && IsWindowEnabled(list)) {
        logon_frame_ = frame;
        logon_list_ = list;
      }
      if (caption == kAllowCaption) {
        allow_frame_ = frame;
        allow_list_ = list;
      }
    }
    tabs_ = FindWindowExW(hwnd_, nullptr, WC_TABCONTROLW, nullptr);
    logon_box_ = FindWindowExW(hwnd_, nullptr, L"Button", L"Send Log O&n Event Message");
    logoff_box_ = FindWindowExW(hwnd_, nullptr, L"Button", L"Send Log &Off Event Message");
    server_ = FindWindowExW(hwnd_, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(logon_list_ && allow_list_ && tabs_ && logon_box_ && logoff_box_ && server_)
        << !!logon_list_ << !!allow_list_ << !!tabs_ << !!logon_box_ << !!logoff_box_ << !!server_;
  }

  void click_tab(int index) {
    RECT tab{};
    SendMessageW(tabs_, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&tab));
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    PostMessageW(tabs_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tabs_, WM_LBUTTONUP, 0, at);
    pump();
  }

  void click_column(HWND list, int column) {
    NMLISTVIEW click{};
    click.hdr = NMHDR{list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    pump();
  }

  void select_row(HWND list, int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    pump();
  }

  void click(HWND button) {
    ASSERT_TRUE(button);
    SendMessageW(button, BM_CLICK, 0, 0);
    pump();
  }

  void press(HWND focus, UINT key) {
    SetFocus(focus);
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    pump();
  }

  // What is under the middle of a window.
  static HWND under_middle_of(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
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

  void expect_save_formats() const {
    const auto& calls = log_->calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].args.at(3).kind(), Variant::Kind::Text);
    EXPECT_EQ(calls[1].args.at(3).kind(), Variant::Kind::Int32);
    EXPECT_EQ(calls[2].args.at(3).kind(), Variant::Kind::Int32);
    for (size_t i = 3; i < 6; ++i) EXPECT_EQ(calls[i].args.at(3).kind(), Variant::Kind::Text);
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

TEST_F(LogonWindowTest, TabsSortingDeleteAndOkWriteWhatTheRowsHold) {
  resolving_host();
  open();
  ASSERT_FALSE(HasFatalFailure());
  Strings reads;
  for (const std::wstring& line : log_->trace())
    if (line.find(L"GetRegistryValue") != std::wstring::npos) reads.push_back(line);
  EXPECT_EQ(reads, (Strings{read_line(L"Settings", L"SendMsgServer", L"\"\""),
                            read_line(L"Settings", L"SendLogonMsg", L"0"),
                            read_line(L"Settings", L"SendLogoffMsg", L"0"),
                            read_line(L"Restrictions", L"WatchForUsersToLogon", L"\"\""),
                            read_line(L"Restrictions", L"WatchForUsersToLogoff", L"\"\""),
                            read_line(L"Restrictions", L"AllowOnlyInteractiveLogon", L"\"\""),
                            read_line(L"Restrictions", L"DenyInteractiveLogon", L"\"\"")}));
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
  click_tab(2);
  EXPECT_EQ(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0), 2);
  for (HWND box : {logon_box_, logoff_box_}) {
    HWND seen = under_middle_of(box);
    EXPECT_TRUE(seen == allow_frame_ || IsChild(allow_frame_, seen)) << "the allow frame leaves a box uncovered";
  }
  SendMessageW(tabs_, TCM_SETCURSEL, 0, 0);
  NMHDR change{tabs_, static_cast<UINT_PTR>(GetDlgCtrlID(tabs_)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(hwnd_, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
  pump();
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

  click(FindWindowExW(hwnd_, nullptr, L"Button", L"&OK"));
  EXPECT_EQ(log_->trace(), save_lines(L"SALES\\bwhite;PC042\\Administrators"));
  expect_save_formats();
  EXPECT_FALSE(visible());
}

TEST_F(LogonWindowTest, EscWritesNothingAndCloses) {
  resolving_host();
  open();
  ASSERT_FALSE(HasFatalFailure());
  log_->clear();
  press(server_, VK_ESCAPE);
  EXPECT_TRUE(log_->calls().empty()) << to_ansi(log_->trace().front());
  EXPECT_FALSE(visible());
}

TEST_F(LogonWindowTest, FailingLookupsKeepTheRowsTextAndEnterIsOk) {
  failing_host();
  open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(rows_of(logon_list_), (Strings{L"SALES\\jdoe|", L"PC042\\Administrators|", L"SALES\\bwhite|"}));
  EXPECT_EQ(rows_of(allow_list_), (Strings{L"SALES\\asmith|"}));
  log_->clear();

  press(server_, VK_RETURN);
  EXPECT_EQ(log_->trace(), save_lines(L"SALES\\jdoe;PC042\\Administrators;SALES\\bwhite"));
  expect_save_formats();
  EXPECT_FALSE(visible());
}

TEST_F(LogonWindowTest, AddThroughTheBrowseDialogAppendsOnlyWhenConfirmed) {
  resolving_host();
  open();
  ASSERT_FALSE(HasFatalFailure());
  const Strings loaded = rows_of(logon_list_);
  HWND add = FindWindowExW(logon_frame_, nullptr, L"Button", L"&Add ...");
  ASSERT_TRUE(add);
  log_->clear();
  {
    BrowseDriver cancel([](HWND dialog) { SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); });
    click(add);
    EXPECT_EQ(cancel.owner, hwnd_);
    EXPECT_EQ(cancel.title, L"Select Users/Groups to watch for Logons");
    for (const wchar_t* entry : {L"PC042\\Administrator", L"PC042\\Administrators", L"SALES\\jdoe", L"SALES\\asmith"})
      EXPECT_NE(std::find(cancel.rows.begin(), cancel.rows.end(), entry), cancel.rows.end()) << to_ansi(entry);
  }
  EXPECT_EQ(rows_of(logon_list_), loaded);
  {
    // A listed account is refreshed in place, a new one is appended.
    BrowseDriver confirm([](HWND dialog) {
      HWND list = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
      const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        const std::wstring entry = row_text(list, i);
        if (entry != L"SALES\\asmith" && entry != L"SALES\\jdoe") continue;
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
      }
      SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
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

}  // namespace
}  // namespace pendrel::win32::testing
