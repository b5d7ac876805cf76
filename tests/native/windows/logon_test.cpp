#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/image_list.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "logon/account_lists.h"
#include "logon/frm_logon_property.h"
#include "logon/kestrow_browse.h"
#include "logon_fakes.h"
#include "outside/controls.h"
#include "raised.h"
#include "window_test_support.h"

namespace pendrel {
namespace {

using forms::CheckBox;
using forms::Frame;
using forms::ListView;
using Lines = std::vector<std::wstring>;

class LogonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed.computer->on(L"GetRegistryValue").call([this](std::span<Argument> args) {
      const auto it = stored.find(args[2].value.text());
      return it == stored.end() ? args[3].value : it->second;
    });
    bed.computer->on(L"SetRegistryValue").call(int32_t{0});
    host.domain(L"SALES").users.stock_user(L"jdoe", L"John Doe");
    host.domain(L"SALES").users.stock_user(L"amy", L"Amy Zed");
    host.domain(L"SALES").global_groups.stock_group(L"Admins", L"Domain admins");
    for (DispId id : {1, 2, 3, 5}) kestrow->on_id(id).let([](std::span<Argument>) {});
    kestrow->on_id(8).call([this](std::span<Argument>) { return browse_result; });
    kestrow->on_id(4).get([this](std::span<Argument>) { return selection; });
  }

  // Computer and DomainObject passed, the browse control in place, shown.
  void open() {
    window.set_DomainObject(host.domain_object);
    window.set_Computer(bed.computer);
    form.get<forms::HostControl>(L"Kestrow1").set_object(kestrow);
    bed.log->clear();
    form.show();
  }
  ListView& list(int i) { return form.get<ListView>(L"ListView1", i); }
  Lines texts(int i) {
    Lines lines;
    for (int r = 1; r <= list(i).list_items().count(); ++r) {
      const forms::ListItem& row = list(i).list_items().item(r);
      lines.push_back(row.text() + L"|" + row.sub_item(1));
    }
    return lines;
  }
  void click(int index) { form.get<forms::CommandButton>(L"cmdButton", index).user_click(); }
  Lines lines_of(std::initializer_list<std::wstring_view> prefixes) {
    return fakes::starting_with(bed.log->trace(), prefixes);
  }

  CheckBox& box(int i) { return form.get<CheckBox>(L"chkLogons", i); }
  Frame& frame(int i) { return form.get<Frame>(L"fraWatch", i); }
  forms::TextBox& server() { return form.get<forms::TextBox>(L"txtData", 0); }
  // Whether each of the first n frames, its list and its Add and Delete
  // buttons are enabled: "1111 0000" for n = 2.
  std::wstring enabled(int n) {
    std::wstring flags;
    for (int i = 0; i < n; ++i) {
      flags += i ? L" " : L"";
      for (const forms::Control* c : {form.find(L"fraWatch", i), form.find(L"ListView1", i),
                                      form.find(L"cmdButton", 3 + i), form.find(L"cmdButton", 7 + i)}) {
        flags += c->enabled() ? L'1' : L'0';
      }
    }
    return flags;
  }

  fakes::WindowTestBed bed;
  fakes::FakeAccountHost host{bed.computer};
  std::shared_ptr<fakes::FakeDispatch> kestrow = std::make_shared<fakes::FakeDispatch>(L"Kestrow1", bed.log);
  int32_t browse_result = 0;
  std::wstring selection;
  std::map<std::wstring, Variant> stored;
  logon::FrmLogonProperty window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(LogonTest, ComputerSetReadsTheSettingsAndAppliesTheCheckBoxRule) {
  stored = {{L"SendMsgServer", L"EVTSRV"}, {L"SendLogonMsg", int32_t{2}}, {L"SendLogoffMsg", int32_t{1}}};
  window.set_Computer(bed.computer);
  const std::wstring read = L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\Settings\", ";
  EXPECT_EQ(bed.log->trace(), (Lines{read + L"\"SendMsgServer\", \"\")", read + L"\"SendLogonMsg\", 0)",
                                     read + L"\"SendLogoffMsg\", 0)"}));
  EXPECT_EQ(bed.log->calls()[1].args[3].kind(), Variant::Kind::Int16);
  EXPECT_EQ(bed.log->calls()[2].args[3].kind(), Variant::Kind::Int16);
  EXPECT_EQ(server().text(), L"EVTSRV");
  EXPECT_EQ(box(0).value(), 0);
  EXPECT_EQ(box(1).value(), 1);
  EXPECT_EQ(enabled(4), L"0000 1111 1111 1111");

  // Nothing stored: the defaults, both boxes clear.
  stored.clear();
  server().set_text(L"old");
  window.set_Computer(bed.computer);
  EXPECT_EQ(server().text(), L"");
  EXPECT_EQ(box(1).value(), 0);
  EXPECT_EQ(enabled(2), L"0000 0000");

  // Flags compare by number: a host handing back text " 1" or "1.0" means set;
  // text that is no number, or 1 as part of a longer text, means clear.
  stored = {{L"SendLogonMsg", L" 1"}, {L"SendLogoffMsg", L"1.0"}};
  window.set_Computer(bed.computer);
  EXPECT_EQ(box(0).value() * 10 + box(1).value(), 11);
  stored = {{L"SendLogonMsg", L"yes"}, {L"SendLogoffMsg", L"1;1"}};
  window.set_Computer(bed.computer);
  EXPECT_EQ(box(0).value() * 10 + box(1).value(), 0);
}

TEST_F(LogonTest, EitherCheckBoxReappliesBothFrames) {
  stored = {{L"SendLogonMsg", int32_t{1}}};
  window.set_Computer(bed.computer);
  ASSERT_EQ(enabled(2), L"1111 0000");
  form.get<ListView>(L"ListView1", 1).set_enabled(true);
  frame(0).set_enabled(false);
  box(0).user_click();
  EXPECT_EQ(enabled(2), L"0000 0000");
  box(1).user_click();
  EXPECT_EQ(enabled(2), L"0000 1111");
  box(0).set_value(1);
  EXPECT_EQ(enabled(4), L"1111 1111 1111 1111");
}

TEST_F(LogonTest, LoadPreparesTheListsAndTheLayoutLetsTabsCoverTheCheckBoxes) {
  form.load();
  const auto* images = &form.get<forms::ImageList>(L"ImageList1", 2);
  EXPECT_GE(images->count(), 12);
  for (int i = 0; i < 4; ++i) {
    const ListView& list = form.get<ListView>(L"ListView1", i);
    EXPECT_TRUE(list.icons() == images && list.small_icons() == images) << i;
    ASSERT_EQ(list.column_headers().count(), 2) << i;
    EXPECT_EQ(list.column_headers().item(1).text() + L"," + list.column_headers().item(2).text(),
              L"Name,Description");
    EXPECT_EQ(list.column_headers().item(1).width(), 2350) << i;
  }

  // The layout the tab switch relies on.
  const auto& tab_area = form.get<forms::TabStrip>(L"TabStrip1").bounds();
  EXPECT_EQ(box(0).bounds(), box(1).bounds());
  EXPECT_EQ(frame(0).bounds(), frame(1).bounds());
  EXPECT_EQ(frame(2).bounds(), frame(3).bounds());
  EXPECT_LE(box(0).top() + box(0).height(), frame(0).top());
  EXPECT_LE(frame(2).top(), box(0).top());
  EXPECT_EQ(frame(2).top() + frame(2).height(), frame(0).top() + frame(0).height());
  for (const forms::Control* c : {form.find(L"Label1", 0), form.find(L"txtData", 0), form.find(L"cmdButton", 0),
                                  form.find(L"cmdButton", 1), form.find(L"cmdButton", 2)}) {
    EXPECT_GE(c->top(), tab_area.top + tab_area.height) << c->name();
  }

  // The first tab: logon box over the logoff box, logon frame over the rest.
  const auto z = [](forms::Control& c) { return c.z_position(); };
  EXPECT_LT(z(box(0)), std::min(z(box(1)), z(frame(2))));
  EXPECT_LT(z(frame(0)), std::min(z(frame(1)), z(frame(2))));

  auto& tabs = form.get<forms::TabStrip>(L"TabStrip1");
  tabs.user_select(3);
  EXPECT_EQ(z(frame(2)), 0);
  EXPECT_LT(z(frame(2)), std::min({z(box(0)), z(box(1)), z(frame(3))}));
  tabs.user_select(4);
  EXPECT_EQ(z(frame(3)), 0);
  EXPECT_LT(z(frame(3)), std::min(z(box(0)), z(box(1))));
  tabs.user_select(2);
  EXPECT_LT(z(box(1)), std::min(z(box(0)), z(frame(2))));
  EXPECT_LT(z(frame(1)), std::min(z(frame(0)), z(frame(3))));
  // Back on the first tab the allow and deny frames lie behind everything else.
  tabs.user_select(1);
  for (int i : {2, 3}) {
    EXPECT_GT(z(frame(i)), std::max({z(box(0)), z(box(1)), z(frame(0)), z(frame(1))})) << i;
  }
}

const std::wstring kSet = L"call Computer.SetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\";

TEST_F(LogonTest, ActivationReadsTheFourListsAndPreparesTheBrowseControl) {
  stored = {{L"WatchForUsersToLogon", L"SALES\\jdoe"},
            {L"AllowOnlyInteractiveLogon", L"SALES\\Admins;SALES\\amy"},
            {L"DenyInteractiveLogon", L"SALES\\jdoe"}};
  bed.ui.set_mouse_pointer(forms::mouse_pointer::kHourglass);
  size_t calls_before_do_events = 0;
  bed.ui.on_do_events = [&] { calls_before_do_events = bed.log->calls().size(); };
  bed.peer_trace->clear();
  open();
  const std::wstring read = L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\Restrictions\", ";
  EXPECT_EQ(lines_of({L"get Computer.Name", L"call Computer.GetRegistryValue", L"let Kestrow1"}),
            (Lines{L"get Computer.Name", read + L"\"WatchForUsersToLogon\", \"\")",
                   read + L"\"WatchForUsersToLogoff\", \"\")", read + L"\"AllowOnlyInteractiveLogon\", \"\")",
                   read + L"\"DenyInteractiveLogon\", \"\")", L"get Computer.Name",
                   L"let Kestrow1.#5 = \"\\\\PC042\"", L"let Kestrow1.#3 = 172212"}));
  for (const fakes::Call& call : bed.log->calls()) {
    if (call.member == L"#3") {
      EXPECT_EQ(call.args[0].kind(), Variant::Kind::Int32);
    }
  }
  EXPECT_EQ(form.caption(), L"Interactive Logon Properties of PC042");
  EXPECT_EQ(calls_before_do_events, 1u);
  EXPECT_EQ(bed.ui.do_events_calls(), 1);
  EXPECT_EQ(bed.ui.pointers(), (std::vector<int>{forms::mouse_pointer::kHourglass, forms::mouse_pointer::kDefault}));
  EXPECT_EQ(bed.peer_lines(L"zorder 0"), 2);
  EXPECT_EQ(bed.peer_lines(L"refresh"), 1);
  EXPECT_EQ(texts(0), (Lines{L"SALES\\jdoe|John Doe"}));
  EXPECT_EQ(texts(1), Lines{});
  EXPECT_EQ(texts(2), (Lines{L"SALES\\Admins|Domain admins", L"SALES\\amy|Amy Zed"}));
  EXPECT_EQ(texts(3), (Lines{L"SALES\\jdoe|John Doe"}));

  // Activated again: the lists are not cleared, a deleted row comes back once.
  list(2).list_items().item(1).set_selected(true);
  click(9);
  ASSERT_EQ(texts(2), (Lines{L"SALES\\amy|Amy Zed"}));
  form.hide();
  form.show();
  EXPECT_EQ(texts(2), (Lines{L"SALES\\amy|Amy Zed", L"SALES\\Admins|Domain admins"}));
}

// OK clicked, or Enter typed, while the activation's DoEvents repaints: it
// acts once the four lists are read, and writes them back whole.
TEST_F(LogonTest, OkDuringTheActivationWaitsForTheLists) {
  stored = {{L"SendLogonMsg", int32_t{1}}, {L"WatchForUsersToLogon", L"SALES\\jdoe;SALES\\amy"},
            {L"AllowOnlyInteractiveLogon", L"SALES\\user0001"}};
  const std::function<void()> early[] = {[this] { click(0); }, [this] { form.user_enter_key(); }};
  for (size_t i = 0; i < std::size(early); ++i) {
    bed.ui.on_do_events = early[i];
    open();
    EXPECT_EQ(lines_of({kSet + L"Restrictions"}),
              (Lines{kSet + L"Restrictions\", \"WatchForUsersToLogon\", \"SALES\\jdoe;SALES\\amy\")",
                     kSet + L"Restrictions\", \"AllowOnlyInteractiveLogon\", \"SALES\\user0001\")",
                     kSet + L"Restrictions\", \"DenyInteractiveLogon\", \"\")"}))
        << i;
    EXPECT_FALSE(form.loaded()) << i;
  }
}

TEST_F(LogonTest, OkWritesInOrderWithTheirFormatsAndSkipsWatchListsWhoseBoxIsClear) {
  stored = {{L"SendLogonMsg", int32_t{1}}, {L"SendLogoffMsg", int32_t{1}},
            {L"WatchForUsersToLogon", L"SALES\\jdoe;SALES\\amy"}, {L"WatchForUsersToLogoff", L"SALES\\Admins"},
            {L"DenyInteractiveLogon", L"x\\y"}};
  open();
  server().set_text(L"EVT");
  ASSERT_TRUE(form.user_enter_key());
  EXPECT_EQ(lines_of({L"call Computer.SetRegistryValue"}),
            (Lines{kSet + L"Settings\", \"SendMsgServer\", \"EVT\")", kSet + L"Settings\", \"SendLogonMsg\", 1)",
                   kSet + L"Settings\", \"SendLogoffMsg\", 1)",
                   kSet + L"Restrictions\", \"WatchForUsersToLogon\", \"SALES\\jdoe;SALES\\amy\")",
                   kSet + L"Restrictions\", \"WatchForUsersToLogoff\", \"SALES\\Admins\")",
                   kSet + L"Restrictions\", \"AllowOnlyInteractiveLogon\", \"\")",
                   kSet + L"Restrictions\", \"DenyInteractiveLogon\", \"x\\y\")"}));
  for (const fakes::Call& call : bed.log->calls()) {
    if (call.member != L"SetRegistryValue") continue;
    EXPECT_EQ(call.args[0].kind(), Variant::Kind::Int32);
    if (call.args[3].is_numeric()) {
      EXPECT_EQ(call.args[3].kind(), Variant::Kind::Int32) << call.args[2].text();
    }
  }
  EXPECT_FALSE(form.loaded());

  // Both boxes clear (2 is not set): the watch lists keep their stored text.
  stored[L"SendLogonMsg"] = int32_t{2};
  stored.erase(L"SendLogoffMsg");
  stored.erase(L"DenyInteractiveLogon");
  open();
  ASSERT_EQ(texts(0).size(), 2u);
  click(0);
  EXPECT_EQ(lines_of({L"call Computer.SetRegistryValue"}),
            (Lines{kSet + L"Settings\", \"SendMsgServer\", \"\")", kSet + L"Settings\", \"SendLogonMsg\", 0)",
                   kSet + L"Settings\", \"SendLogoffMsg\", 0)",
                   kSet + L"Restrictions\", \"AllowOnlyInteractiveLogon\", \"\")",
                   kSet + L"Restrictions\", \"DenyInteractiveLogon\", \"\")"}));
  EXPECT_FALSE(form.loaded());
}

TEST_F(LogonTest, CancelEscAndSelectWriteNothing) {
  stored = {{L"SendLogonMsg", int32_t{1}}};
  open();
  server().set_text(L"EVT");
  click(2);
  EXPECT_TRUE(form.loaded());
  box(1).user_click();
  ASSERT_TRUE(form.user_escape_key());
  EXPECT_FALSE(form.loaded());
  open();
  click(1);
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(lines_of({L"call Computer.SetRegistryValue", L"let Kestrow1.#1", L"call Kestrow1"}), Lines{});
  EXPECT_TRUE(bed.ui.prompts().empty());
}

TEST_F(LogonTest, ShowWithoutComputerAndAFailingWriteReportTheError) {
  // No Computer: the activation's first read raises to the caller of Show.
  EXPECT_EQ(raised([&] { form.show(); }), L"91 Object variable or With block variable not set");
  EXPECT_EQ(lines_of({L"call Computer"}), Lines{});
  form.unload();

  // A write the host refuses: reported, the window stays open, OK tries again.
  stored = {{L"SendLogonMsg", int32_t{1}}, {L"WatchForUsersToLogon", L"SALES\\jdoe"}};
  open();
  bool refuse = true;
  bed.computer->on(L"SetRegistryValue").call([&refuse](std::span<Argument> args) {
    if (refuse && args[2].value.text() == L"SendLogoffMsg") throw Error(70, L"Access is denied.");
    return int32_t{0};
  });
  click(0);
  EXPECT_TRUE(form.loaded()) << "the window stays open with what the user entered";
  EXPECT_EQ(lines_of({L"call Computer.SetRegistryValue"}).size(), 3u);
  ASSERT_EQ(bed.ui.prompts().size(), 1u);
  EXPECT_EQ(bed.ui.prompts()[0], fakes::message(L"Access is denied.\r\n\r\n(Error 70)", 16, L"Pendrel"));
  EXPECT_EQ(texts(0), Lines{L"SALES\\jdoe|John Doe"});

  refuse = false;
  bed.log->clear();
  click(0);
  EXPECT_FALSE(form.loaded());
  EXPECT_EQ(lines_of({L"call Computer.SetRegistryValue"}).size(), 6u);
}

TEST_F(LogonTest, AddBrowsesWithTheListsOptionsAndTitleDeleteRemovesTheSelectedRow) {
  stored = {{L"SendLogonMsg", int32_t{1}}, {L"WatchForUsersToLogon", L"SALES\\jdoe;SALES\\x;SALES\\y"}};
  open();
  list(0).list_items().item(1).set_sub_item(1, L"stale");
  selection = L"SALES\\jdoe;SALES\\amy";
  bed.log->clear();
  click(3);
  EXPECT_EQ(lines_of({L"let Kestrow1", L"call Kestrow1", L"get Kestrow1"}),
            (Lines{L"let Kestrow1.#1 = 71", L"let Kestrow1.#2 = \"Select Users/Groups to watch for Logons\"",
                   L"call Kestrow1.#8", L"get Kestrow1.#4"}));
  EXPECT_EQ(texts(0), (Lines{L"SALES\\jdoe|John Doe", L"SALES\\x|", L"SALES\\y|", L"SALES\\amy|Amy Zed"}));

  // Cancelled: Selection is not read, nothing changes.
  const std::pair<int, const wchar_t*> others[] = {
      {4, L"let Kestrow1.#2 = \"Select Users/Groups to watch for Logoffs\""},
      {5, L"let Kestrow1.#2 = \"Select Users/Groups to ONLY Allow Interactive Logons to\""},
      {6, L"let Kestrow1.#2 = \"Select Users/Groups to Deny Interactive Logons to\""}};
  browse_result = 1;
  box(1).set_value(1);
  for (const auto& [index, title] : others) {
    bed.log->clear();
    click(index);
    EXPECT_EQ(lines_of({L"let Kestrow1", L"call Kestrow1", L"get Kestrow1"}),
              (Lines{index == 4 ? L"let Kestrow1.#1 = 71" : L"let Kestrow1.#1 = 7", title, L"call Kestrow1.#8"}));
    EXPECT_EQ(list(index - 3).list_items().count(), 0);
  }

  // Delete takes the selected row only; without one it does nothing.
  list(0).list_items().item(2).set_selected(true);
  click(7);
  EXPECT_EQ(texts(0), (Lines{L"SALES\\jdoe|John Doe", L"SALES\\y|", L"SALES\\amy|Amy Zed"}));
  click(7);
  EXPECT_EQ(texts(0).size(), 3u);
  EXPECT_TRUE(bed.ui.prompts().empty());
}

TEST_F(LogonTest, ColumnClicksSortAscendingThenFlipThenByTheOtherColumn) {
  stored = {{L"AllowOnlyInteractiveLogon", L"SALES\\jdoe;SALES\\Admins;SALES\\amy"}};
  open();
  ListView& allow = list(2);
  const auto order = [&] {
    std::wstring names;
    for (int r = 1; r <= allow.list_items().count(); ++r) names += allow.list_items().item(r).text().substr(6) + L" ";
    return names;
  };
  EXPECT_FALSE(allow.sorted());
  EXPECT_EQ(order(), L"jdoe Admins amy ");
  allow.user_column_click(1);
  EXPECT_EQ(order(), L"Admins amy jdoe ");
  allow.user_column_click(1);
  EXPECT_EQ(order(), L"jdoe amy Admins ");
  EXPECT_EQ(allow.sort_order(), forms::list_view_style::kDescending);
  allow.user_column_click(2);
  EXPECT_EQ(order(), L"amy Admins jdoe ");  // Amy Zed, Domain admins, John Doe
  EXPECT_EQ(allow.sort_key(), 1);
  EXPECT_EQ(allow.sort_order(), forms::list_view_style::kAscending);
  // The rows are written back in the order shown.
  click(0);
  EXPECT_EQ(lines_of({kSet + L"Restrictions\", \"Allow"}),
            (Lines{kSet + L"Restrictions\", \"AllowOnlyInteractiveLogon\", \"SALES\\amy;SALES\\Admins;SALES\\jdoe\")"}));
}

class AccountListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed.computer->on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });
    bed.computer->on(L"SetRegistryValue").call(int32_t{0});
    fakes::FakeDomain& sales = host.domain(L"SALES");
    sales.global_groups.stock_group(L"Admins", L"Domain admins");
    sales.local_groups.stock_group(L"Printers", L"Print operators");
    sales.users.stock_user(L"Admins", L"Admin user");
    sales.users.stock_user(L"jdoe", L"John Doe");
    host.users.stock_user(L"Guests", L"Guest account");
    host.local_local_groups.stock_group(L"Guests", L"Guests group");
    host.local_local_groups.stock_group(L"Backup", L"Backup operators");
    window.set_DomainObject(host.domain_object);
    window.set_Computer(bed.computer);
    bed.log->clear();
    bed.peer_trace->clear();
  }

  ListView& list(int index = 2) { return form.get<ListView>(L"ListView1", index); }
  void load(const std::wstring& data, int index = 2) { window.LoadListView(list(index), data); }
  // "text|description|icon" for each row in list order.
  Lines rows(int index = 2) {
    Lines lines;
    const auto& items = list(index).list_items();
    for (int i = 1; i <= items.count(); ++i) {
      const forms::ListItem& row = items.item(i);
      EXPECT_EQ(row.small_icon(), row.icon()) << row.text();
      EXPECT_EQ(row.key(), row.text());
      lines.push_back(row.text() + L"|" + row.sub_item(1) + L"|" + std::to_wstring(row.icon()));
    }
    return lines;
  }

  fakes::WindowTestBed bed;
  fakes::FakeAccountHost host{bed.computer};
  logon::FrmLogonProperty window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(AccountListTest, NamesEachAccountInTheLookupOrder) {
  load(L"SALES\\Admins;SALES\\Printers;SALES\\jdoe;SALES\\nobody;PC042\\Guests;PC042\\Backup;pc042\\Guests;NOSLASH");
  EXPECT_EQ(rows(), (Lines{
                        L"SALES\\Admins|Domain admins|5",  // global group over user
                        L"SALES\\Printers|Print operators|8",
                        L"SALES\\jdoe|John Doe|7",
                        L"SALES\\nobody||0",  // the user found before does not stand in
                        L"PC042\\Guests|Guest account|7",  // computer user over local group
                        L"PC042\\Backup|Backup operators|12",
                        L"pc042\\Guests||0",  // other letter case: a domain, which fails
                        L"NOSLASH||0",
                    }));
  EXPECT_EQ(host.count(L"get DomainObject.Domains(\"pc042\")"), 1);
  EXPECT_EQ(host.count(L"get DomainObject.Domains(\"SALES\")"), 4);
  EXPECT_EQ(host.count(L"get PC042.Users.Item(\"Guests\")"), 1);
  EXPECT_EQ(host.count(L"get Computer.Value"), 1);
  for (const fakes::Call& call : bed.log->calls()) {
    if (call.member == L"Domains") {
      EXPECT_NE(call.args[0].text(), L"NOSLASH");
    }
    if (call.member == L"GetUserInformation") {
      ASSERT_EQ(call.args.size(), 1u);
      EXPECT_EQ(call.args[0].kind(), Variant::Kind::Int16);
      EXPECT_EQ(call.args[0].to_long(), 3);
    }
  }
}

TEST_F(AccountListTest, FetchesEachCollectionOnlyWhileItIsEmpty) {
  std::wstring data;
  for (int i = 0; i < 200; ++i) {
    host.domain(L"SALES").users.stock_user(L"u" + std::to_wstring(i), L"User " + std::to_wstring(i));
    data += L"SALES\\u" + std::to_wstring(i) + L";";
  }
  data += L"PC042\\Guests;PC042\\Backup;PC042\\Nobody;EMPTY\\a;EMPTY\\b";
  host.domain(L"EMPTY");
  load(data);
  EXPECT_EQ(list().list_items().count(), 205);
  EXPECT_EQ(rows()[199], L"SALES\\u199|User 199|7");
  EXPECT_EQ(host.count(L"call SALES.GetItems"), 1);
  EXPECT_EQ(host.count(L"call SALES.GetGroups"), 1);
  EXPECT_EQ(host.count(L"call SALES.Users.GetItems"), 1);
  EXPECT_EQ(host.count(L"call Computer.GetUsers"), 1);
  EXPECT_EQ(host.count(L"call PC042.LocalLocalGroups.GetItems"), 1);
  // Still empty after its fetch: the next account that needs it fetches again.
  EXPECT_EQ(host.count(L"call EMPTY.GetItems"), 1);
  EXPECT_EQ(host.count(L"call EMPTY.GetGroups"), 2);
  EXPECT_EQ(host.count(L"call EMPTY.Users.GetItems"), 2);
  // The renderer hears of the rows once.
  EXPECT_EQ(fakes::starting_with(*bed.peer_trace, {L"control ListView1(2) Items"}),
            (Lines{L"control ListView1(2) Items Changed"}));
}

TEST_F(AccountListTest, RowsAreKeyedByTheEntryAndRefreshedNotDuplicated) {
  list().set_enabled(false);
  load(L";; ;   ");
  EXPECT_EQ(list().list_items().count(), 0);
  EXPECT_FALSE(list().enabled());

  forms::ListItem& gone = list().list_items().add(L"SALES\\gone", L"SALES\\gone", 8, 8);
  gone.set_sub_item(1, L"Kept");
  list().list_items().add(L"SALES\\jdoe", L"SALES\\jdoe").set_sub_item(1, L"stale");
  load(L"SALES\\jdoe;; ;SALES\\jdoe;SALES\\gone;sales\\jdoe; SALES\\jdoe");
  EXPECT_TRUE(list().enabled());
  // Keys compare exactly: other letter case or spaces make other rows.
  EXPECT_EQ(rows(), (Lines{L"SALES\\gone|Kept|8", L"SALES\\jdoe|John Doe|7", L"sales\\jdoe||0",
                           L" SALES\\jdoe||0"}));
  EXPECT_EQ(logon::account_list_value(list()), L"SALES\\gone;SALES\\jdoe;sales\\jdoe; SALES\\jdoe");
}

TEST_F(AccountListTest, BadInputKeepsEveryRowsTextAndOkWritesItBack) {
  const std::wstring long_domain(300, L'D');
  const std::wstring long_name = L"SALES\\" + std::wstring(294, L'n');
  host.domain(long_domain).users.stock_user(L"jdoe", L"Long domain user");
  host.domain(L"M\u00dcNCHEN").users.stock_user(L"J\u00fcrgen", L"J\u00fcrgen Gro\u00df");
  host.domain(L"\u6771\u4eac").local_groups.stock_group(L"\u30e6\u30fc\u30b6\u30fc", L"\u5229\u7528\u8005");
  host.domain(L"SALES").global_groups.broken = Error::vb(vb_error::kInvalidProcedureCall);
  host.local_local_groups.missing_gives_nothing = true;
  host.users.broken = Error(-2147023570, L"Access denied");

  load(L";");
  load(L"\\");
  load(L"\\jdoe;SALES\\;" + long_name + L";" + long_domain + L"\\jdoe");
  load(L"M\u00dcNCHEN\\J\u00fcrgen;\u6771\u4eac\\\u30e6\u30fc\u30b6\u30fc;SALES\\Admins;PC042\\Guests;PC042\\None");
  const Lines expected{
      L"\\||0",
      L"\\jdoe||0",
      L"SALES\\||0",
      long_name + L"||0",
      long_domain + L"\\jdoe|Long domain user|7",
      L"M\u00dcNCHEN\\J\u00fcrgen|J\u00fcrgen Gro\u00df|7",
      L"\u6771\u4eac\\\u30e6\u30fc\u30b6\u30fc|\u5229\u7528\u8005|8",
      L"SALES\\Admins|Admin user|7",  // the global groups fail: found as the user
      L"PC042\\Guests|Guests group|12",  // the users fail: found as the local group
      L"PC042\\None||0",
  };
  EXPECT_EQ(rows(), expected);

  // A computer whose name cannot be read: every authority is a domain.
  host.computer->on(L"Value").raise(Error::vb(vb_error::kObjectDoesNotSupportMember));
  load(L"PC042\\Backup", 3);
  EXPECT_EQ(rows(3), (Lines{L"PC042\\Backup||0"}));

  form.get<forms::CommandButton>(L"cmdButton", 0).set_value(true);
  std::wstring allow;
  for (const fakes::Call& call : bed.log->calls()) {
    if (call.member == L"SetRegistryValue" && call.args[2].text() == L"AllowOnlyInteractiveLogon") {
      allow = call.args[3].text();
    }
  }
  std::wstring joined;
  for (const auto& line : expected) joined += (joined.empty() ? L"" : L";") + line.substr(0, line.find(L'|'));
  EXPECT_EQ(allow, joined);
  EXPECT_FALSE(form.loaded());
}

}  // namespace
}  // namespace pendrel

namespace pendrel::logon {
namespace {

// Kestrow1, the account-browse control: its members by dispatch id, the
// accounts it gathers from scripted host objects by Options, and Selection.
using fakes::CallLog;
using fakes::FakeDispatch;
using Lines = std::vector<std::wstring>;

// The computer PC042 in domain SALES; every collection is empty until fetched.
struct BrowseHost : fakes::FakeAccountHost {
  BrowseHost() : FakeAccountHost(std::make_shared<FakeDispatch>(L"Computer")) {
    computer->on(L"Domain").get(L"SALES");
    users.stock_user(L"Administrator", L"Built-in");
    users.stock_user(L"Guest", L"");
    local_local_groups.stock_group(L"Administrators", L"Full control");
    fakes::FakeDomain& sales = domain(L"SALES");
    sales.global_groups.stock_group(L"Domain Users", L"All domain users");
    sales.local_groups.stock_group(L"Print Operators", L"Printers");
    sales.users.stock_user(L"jdoe", L"John Doe");
    sales.users.stock_user(L"kiosk", L"");
  }

  std::vector<BrowseAccount> gather(int32_t options) {
    return gather_accounts(computer, domain_object, options);
  }
};

Lines entries(const std::vector<BrowseAccount>& accounts) {
  Lines out;
  for (const BrowseAccount& a : accounts) out.push_back(a.entry() + L" [" + a.description + L"]");
  return out;
}

Lines fetches(const CallLog& log) {
  Lines out;
  for (const std::wstring& line : log.trace())
    if (line.find(L"GetUsers") != std::wstring::npos || line.find(L"GetItems") != std::wstring::npos ||
        line.find(L"GetGroups") != std::wstring::npos)
      out.push_back(line);
  return out;
}

TEST(KestrowBrowse, GathersTheKindsOptionsAsksFor) {
  BrowseHost host;
  const std::vector<BrowseAccount> all = host.gather(0x47);
  EXPECT_EQ(entries(all), (Lines{L"PC042\\Administrator [Built-in]", L"PC042\\Guest []",
                                 L"PC042\\Administrators [Full control]", L"SALES\\Domain Users [All domain users]",
                                 L"SALES\\Print Operators [Printers]", L"SALES\\jdoe [John Doe]",
                                 L"SALES\\kiosk []"}));
  EXPECT_EQ(all[2].kind, AccountKind::ComputerLocalGroup);
  EXPECT_EQ(all[3].kind, AccountKind::GlobalGroup);
  EXPECT_EQ(all[4].kind, AccountKind::DomainLocalGroup);
  EXPECT_EQ(all[5].kind, AccountKind::User);
  EXPECT_EQ(fetches(*host.log), (Lines{L"call Computer.GetUsers", L"call PC042.LocalLocalGroups.GetItems",
                                       L"call SALES.GetItems", L"call SALES.GetGroups", L"call SALES.Users.GetItems"}));

  // Loaded collections are not fetched again.
  host.log->clear();
  EXPECT_EQ(host.gather(0x47).size(), 7u);
  EXPECT_TRUE(fetches(*host.log).empty());

  const std::pair<int32_t, Lines> kinds[] = {
      {7, {L"SALES\\Domain Users [All domain users]", L"SALES\\Print Operators [Printers]", L"SALES\\jdoe [John Doe]",
           L"SALES\\kiosk []"}},
      {0x41, {L"PC042\\Administrator [Built-in]", L"PC042\\Guest []", L"SALES\\jdoe [John Doe]", L"SALES\\kiosk []"}},
      {0x44, {L"PC042\\Administrators [Full control]", L"SALES\\Print Operators [Printers]"}},
      {0x02, {L"SALES\\Domain Users [All domain users]"}}};
  for (const auto& [options, want] : kinds) EXPECT_EQ(entries(host.gather(options)), want) << options;
  EXPECT_EQ(host.gather(0x40).size(), 7u) << "no kind bit lists every kind";
}

TEST(KestrowBrowse, FailingHostCallsLeaveOutOnlyWhatTheyWouldHaveGiven) {
  BrowseHost host;
  host.computer->on(L"Domain").get(L"ENGINEERING");  // Domains raises for it
  host.computer->on(L"LocalLocalGroups").raise(Error(5, L"denied"));
  EXPECT_EQ(entries(host.gather(0x47)), (Lines{L"PC042\\Administrator [Built-in]", L"PC042\\Guest []"}));

  BrowseHost failing_details;
  failing_details.domain(L"SALES").users.stock_user(L"mlee", L"Mei Lee")->on(L"GetUserInformation").raise(
      Error(53, L"network path not found"));
  EXPECT_EQ(entries(failing_details.gather(kestrow_option::kUsers)),
            (Lines{L"SALES\\jdoe [John Doe]", L"SALES\\kiosk []", L"SALES\\mlee []"}));

  EXPECT_TRUE(gather_accounts(nullptr, nullptr, 0x47).empty());
}

// Answers ShowBrowse with the next scripted choice and keeps the requests.
class ScriptedDialog : public BrowseDialog {
 public:
  std::optional<std::vector<size_t>> show(const BrowseRequest& request) override {
    requests.push_back(request);
    auto answer = answers.at(requests.size() - 1);
    return answer;
  }
  std::vector<std::optional<std::vector<size_t>>> answers;
  std::vector<BrowseRequest> requests;
};

TEST(KestrowBrowse, MembersByDispatchIdAndSelection) {
  BrowseHost host;
  auto dialog = std::make_shared<ScriptedDialog>();
  dialog->answers = {std::vector<size_t>{5, 2}, std::nullopt, std::vector<size_t>{}};
  auto object = std::make_shared<KestrowBrowse>(dialog);
  ASSERT_EQ(KestrowBrowse::from(object), object.get());
  EXPECT_EQ(KestrowBrowse::from(host.computer), nullptr);
  object->set_host_objects(host.computer, host.domain_object);

  const std::vector<std::pair<std::wstring, DispId>> ids = {
      {L"options", 1}, {L"Title", 2}, {L"OWNERWINDOW", 3}, {L"Selection", 4},
      {L"TargetComputer", 5}, {L"ShowBrowse", 8}};
  for (const auto& [name, id] : ids) EXPECT_EQ(object->id_of(name), id) << name;
  EXPECT_THROW(object->id_of(L"Item"), Error);

  // The window reaches it by id, through the facade.
  const outside::KestrowControl control(object);
  control.set_options(0x47);
  control.set_title(L"Select Users/Groups to watch for Logons");
  control.set_owner_window(-2147000000);
  control.set_target_computer(L"\\\\PC042");
  EXPECT_EQ(control.selection(), L"");
  EXPECT_EQ(control.show_browse(), 0);
  const BrowseRequest& request = dialog->requests.at(0);
  EXPECT_EQ(request.owner, -2147000000);
  EXPECT_EQ(request.title, L"Select Users/Groups to watch for Logons");
  EXPECT_EQ(request.target_computer, L"\\\\PC042");
  EXPECT_EQ(request.accounts.size(), 7u);
  EXPECT_EQ(control.selection(), L"SALES\\jdoe;PC042\\Administrators");

  EXPECT_EQ(control.show_browse(), 1) << "cancelled";
  EXPECT_EQ(control.show_browse(), 1) << "confirmed with nothing chosen";
  EXPECT_EQ(control.selection(), L"SALES\\jdoe;PC042\\Administrators");

  // Write-only members cannot be read, Selection cannot be written.
  for (DispId id : {1, 2, 3, 5}) EXPECT_THROW(object->get(id), Error) << id;
  EXPECT_THROW(object->let(outside::kestrow_id::kSelection, L"X\\y"), Error);
  EXPECT_THROW(object->let(outside::kestrow_id::kShowBrowse, 0), Error);
  EXPECT_THROW(object->call(outside::kestrow_id::kShowBrowse, {1}), Error);
  EXPECT_EQ(object->options(), 0x47);
}

}  // namespace
}  // namespace pendrel::logon
