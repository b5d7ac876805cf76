#include "logon/frm_logon_property.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/image_list.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "logon_fakes.h"
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

}  // namespace
}  // namespace pendrel
