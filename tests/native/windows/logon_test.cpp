// The logon properties window and the unavailable settings window.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "logon/frm_logon_property.h"
#include "raised.h"
#include "support/accounts.h"
#include "support/fakes.h"
#include "unavailable/frm_unavailable.h"

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
    auto& sales = host.domain(L"SALES");
    sales.users.stock_user(L"jdoe", L"John Doe"), sales.users.stock_user(L"amy", L"Amy Zed");
    sales.global_groups.stock_group(L"Admins", L"Domain admins");
    for (DispId id : {1, 2, 3, 5}) kestrow->on_id(id).let([](auto) {});
    kestrow->on_id(8).call([this](auto) { return browse_result; });
    kestrow->on_id(4).get([this](auto) { return selection; });
  }

  // Computer and DomainObject passed, the browse control in place, shown.
  void open() {
    window.set_DomainObject(host.domain_object), window.set_Computer(bed.computer);
    form.get<forms::HostControl>(L"Kestrow1").set_object(kestrow), bed.log->clear(), form.show();
  }
  ListView& list(int i) { return form.get<ListView>(L"ListView1", i); }
  // "text|description", with "|icon" when asked, for each row in order.
  Lines texts(int i, bool icons = false) {
    Lines lines;
    for (int r = 1; r <= list(i).list_items().count(); ++r) {
      const forms::ListItem& row = list(i).list_items().item(r);
      lines.push_back(row.text() + L"|" + row.sub_item(1) + (icons ? L"|" + std::to_wstring(row.icon()) : L""));
    }
    return lines;
  }
  void click(int index) { form.get<forms::CommandButton>(L"cmdButton", index).user_click(); }
  Lines lines_of(std::initializer_list<std::wstring_view> prefixes) {
    return fakes::starting_with(bed.log->trace(), prefixes);
  }

  CheckBox& box(int i) { return form.get<CheckBox>(L"chkLogons", i); }
  Frame& frame(int i) { return form.get<Frame>(L"fraWatch", i); }
  // Whether each of the first n frames, its list and its Add and Delete
  // buttons are enabled: "1111 0000" for n = 2.
  std::wstring enabled(int n) {
    std::wstring flags;
    for (int i = 0; i < n; ++i) {
      flags += i ? L" " : L"";
      for (const forms::Control* c : {form.find(L"fraWatch", i), form.find(L"ListView1", i),
                                      form.find(L"cmdButton", 3 + i), form.find(L"cmdButton", 7 + i)})
        flags += c->enabled() ? L'1' : L'0';
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

TEST_F(LogonTest, EitherCheckBoxReappliesBothFrames) {
  stored = {{L"SendLogonMsg", int32_t{1}}};
  window.set_Computer(bed.computer);
  ASSERT_EQ(enabled(2), L"1111 0000");
  form.get<ListView>(L"ListView1", 1).set_enabled(true), frame(0).set_enabled(false);
  box(0).user_click();
  EXPECT_EQ(enabled(2), L"0000 0000");
  box(1).user_click();
  EXPECT_EQ(enabled(2), L"0000 1111");
  box(0).set_value(1);
  EXPECT_EQ(enabled(4), L"1111 1111 1111 1111");
}

TEST_F(LogonTest, EachTabBringsItsFrameAndCheckBoxToTheFront) {
  form.load();
  EXPECT_EQ(list(2).column_headers().item(1).text() + L"," + list(2).column_headers().item(2).text(),
            L"Name,Description");
  EXPECT_EQ(list(2).column_headers().item(1).width(), 2350);
  const auto z = [](forms::Control& c) { return c.z_position(); };
  auto& tabs = form.get<forms::TabStrip>(L"TabStrip1");
  tabs.user_select(3);
  EXPECT_EQ(z(frame(2)), 0);
  tabs.user_select(4);
  EXPECT_EQ(z(frame(3)), 0);
  tabs.user_select(2);
  EXPECT_LT(z(box(1)), std::min(z(box(0)), z(frame(2))));
  EXPECT_LT(z(frame(1)), std::min(z(frame(0)), z(frame(3))));
  // Back on the first tab the allow and deny frames lie behind everything else.
  tabs.user_select(1);
  EXPECT_LT(z(box(0)), z(box(1)));
  for (int i : {2, 3}) EXPECT_GT(z(frame(i)), std::max({z(box(0)), z(box(1)), z(frame(0)), z(frame(1))})) << i;
}

const std::wstring kSet = L"call Computer.SetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\";

TEST_F(LogonTest, ActivationReadsTheFourListsAndPreparesTheBrowseControl) {
  stored = {{L"WatchForUsersToLogon", L"SALES\\jdoe"},
            {L"AllowOnlyInteractiveLogon", L"SALES\\Admins;SALES\\amy"},
            {L"DenyInteractiveLogon", L"SALES\\jdoe"}};
  size_t calls_before_do_events = 0;
  bed.ui.on_do_events = [&] { calls_before_do_events = bed.log->calls().size(); };
  open();
  const std::wstring read = L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\Restrictions\", ";
  EXPECT_EQ(lines_of({L"get Computer.Name", L"call Computer.GetRegistryValue", L"let Kestrow1"}),
            (Lines{L"get Computer.Name", read + L"\"WatchForUsersToLogon\", \"\")",
                   read + L"\"WatchForUsersToLogoff\", \"\")", read + L"\"AllowOnlyInteractiveLogon\", \"\")",
                   read + L"\"DenyInteractiveLogon\", \"\")", L"get Computer.Name",
                   L"let Kestrow1.#5 = \"\\\\PC042\"", L"let Kestrow1.#3 = 172212"}));
  EXPECT_EQ(form.caption(), L"Interactive Logon Properties of PC042");
  EXPECT_EQ(calls_before_do_events, 1u) << "the window repaints once, after Name";
  EXPECT_EQ(texts(0), (Lines{L"SALES\\jdoe|John Doe"}));
  EXPECT_EQ(texts(2), (Lines{L"SALES\\Admins|Domain admins", L"SALES\\amy|Amy Zed"}));
  EXPECT_EQ(texts(3), (Lines{L"SALES\\jdoe|John Doe"}));

  // Activated again: the lists are not cleared, a deleted row comes back once.
  list(2).list_items().item(1).set_selected(true);
  click(9);
  ASSERT_EQ(texts(2), (Lines{L"SALES\\amy|Amy Zed"}));
  form.hide(), form.show();
  EXPECT_EQ(texts(2), (Lines{L"SALES\\amy|Amy Zed", L"SALES\\Admins|Domain admins"}));
}

TEST_F(LogonTest, OkWritesInOrderWithTheirFormatsAndSkipsWatchListsWhoseBoxIsClear) {
  stored = {{L"SendLogonMsg", int32_t{1}}, {L"SendLogoffMsg", int32_t{1}},
            {L"WatchForUsersToLogon", L"SALES\\jdoe;SALES\\amy"}, {L"WatchForUsersToLogoff", L"SALES\\Admins"},
            {L"DenyInteractiveLogon", L"x\\y"}};
  open();
  form.get<forms::TextBox>(L"txtData", 0).set_text(L"EVT");
  ASSERT_TRUE(form.user_enter_key());
  EXPECT_EQ(lines_of({L"call Computer.SetRegistryValue"}),
            (Lines{kSet + L"Settings\", \"SendMsgServer\", \"EVT\")", kSet + L"Settings\", \"SendLogonMsg\", 1)",
                   kSet + L"Settings\", \"SendLogoffMsg\", 1)",
                   kSet + L"Restrictions\", \"WatchForUsersToLogon\", \"SALES\\jdoe;SALES\\amy\")",
                   kSet + L"Restrictions\", \"WatchForUsersToLogoff\", \"SALES\\Admins\")",
                   kSet + L"Restrictions\", \"AllowOnlyInteractiveLogon\", \"\")",
                   kSet + L"Restrictions\", \"DenyInteractiveLogon\", \"x\\y\")"}));
  EXPECT_FALSE(form.loaded());

  // Both boxes clear (2 is not set): the watch lists keep their stored text.
  stored[L"SendLogonMsg"] = int32_t{2}, stored.erase(L"SendLogoffMsg"), stored.erase(L"DenyInteractiveLogon");
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
  EXPECT_EQ(bed.ui.prompts(), std::vector{fakes::message(L"Access is denied.\r\n\r\n(Error 70)", 16, L"Pendrel")});
  refuse = false;
  click(0);
  EXPECT_FALSE(form.loaded());
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
}

TEST_F(LogonTest, BadInputKeepsEveryRowsTextAndOkWritesItBack) {
  window.set_DomainObject(host.domain_object), window.set_Computer(bed.computer);
  host.domain(L"SALES").users.stock_user(L"Admins", L"Admin user");
  host.local_local_groups.stock_group(L"Guests", L"Guests group");
  auto load = [&](const std::wstring& data, int i = 2) { window.LoadListView(list(i), data); };
  const std::wstring long_domain(300, L'D');
  const std::wstring long_name = L"SALES\\" + std::wstring(294, L'n');
  host.domain(long_domain).users.stock_user(L"jdoe", L"Long domain user");
  host.domain(L"M\u00dcNCHEN").users.stock_user(L"J\u00fcrgen", L"J\u00fcrgen Gro\u00df");
  host.domain(L"\u6771\u4eac").local_groups.stock_group(L"\u30e6\u30fc\u30b6\u30fc", L"\u5229\u7528\u8005");
  host.domain(L"SALES").global_groups.broken = Error::vb(vb_error::kInvalidProcedureCall);
  host.local_local_groups.missing_gives_nothing = true;
  host.users.broken = Error(-2147023570, L"Access denied");

  load(L";"), load(L"\\");
  load(L"\\jdoe;SALES\\;" + long_name + L";" + long_domain + L"\\jdoe");
  load(L"M\u00dcNCHEN\\J\u00fcrgen;\u6771\u4eac\\\u30e6\u30fc\u30b6\u30fc;SALES\\Admins;PC042\\Guests;PC042\\None");
  const Lines expected{L"\\||0", L"\\jdoe||0", L"SALES\\||0", long_name + L"||0",
                       long_domain + L"\\jdoe|Long domain user|7", L"M\u00dcNCHEN\\J\u00fcrgen|J\u00fcrgen Gro\u00df|7",
                       L"\u6771\u4eac\\\u30e6\u30fc\u30b6\u30fc|\u5229\u7528\u8005|8",
                       L"SALES\\Admins|Admin user|7",     // the global groups fail: found as the user
                       L"PC042\\Guests|Guests group|12",  // the users fail: found as the local group
                       L"PC042\\None||0"};
  EXPECT_EQ(texts(2, true), expected);

  // A computer whose name cannot be read: every authority is a domain.
  host.computer->on(L"Value").raise(Error::vb(vb_error::kObjectDoesNotSupportMember));
  load(L"PC042\\Backup", 3);
  EXPECT_EQ(texts(3, true), (Lines{L"PC042\\Backup||0"}));

  form.get<forms::CommandButton>(L"cmdButton", 0).set_value(true);
  std::wstring joined;
  for (const auto& line : expected) joined += (joined.empty() ? L"" : L";") + line.substr(0, line.find(L'|'));
  EXPECT_EQ(bed.log->calls().at(bed.log->calls().size() - 2).args.at(3), Variant(joined));  // AllowOnlyInteractiveLogon
  EXPECT_FALSE(form.loaded());
}

const std::wstring kKey = L"-2147483646, \"SOFTWARE\\Vyx\\Gina\\Restrictions\", \"UnAvailableTimeOut\", ";

class UnavailableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& c = *bed.computer;
    c.on(L"Name").get(L"PC042"), c.property(L"UnAvailableCaption", L"Closed");
    c.property(L"UnAvailableText", L"Back at six"), c.property(L"UnlocksEnabled", int32_t{5});
    c.property(L"LogonsEnabled", true), c.on(L"SetRegistryValue").call(int32_t{0});
    c.on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });  // nothing stored
    window.set_Computer(bed.computer);
  }

  forms::TextBox& box(int index) { return form.get<forms::TextBox>(L"txtData", index); }

  fakes::WindowTestBed bed;
  unavailable::FrmUnavailable window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(UnavailableTest, TimeOutTakesDigitsOnlyMessageStopsAt8192AndEnterConfirmsWithWritesInOrder) {
  form.show();
  for (int index : {0, 1, 2}) {
    box(index).set_text(L"");
    for (wchar_t c : std::wstring(L"1a-. 20\t3\x1b")) box(index).user_typed(c);
    EXPECT_EQ(box(index).user_key_press(13), index == 2 ? 0 : 13);
  }
  EXPECT_EQ(box(1).text(), L"1a-. 203");
  EXPECT_EQ(box(2).text(), L"1203");
  EXPECT_TRUE(box(2).user_typed(L'\b'));
  EXPECT_EQ(box(2).text(), L"120");

  box(1).set_text(std::wstring(8191, L'x'));
  EXPECT_TRUE(box(1).user_typed(L'y'));
  EXPECT_FALSE(box(1).user_typed(L'z'));
  EXPECT_EQ(box(1).text(), std::wstring(8191, L'x') + L"y");

  // Enter confirms, with the writes in order.
  bool ok_at_first_write = false;
  bed.computer->on(L"UnAvailableCaption").let([&](std::span<Argument>) { ok_at_first_write = window.OK(); });
  box(0).user_edited(L"Maintenance"), box(1).user_edited(L"Line one\r\nLine two"), box(2).user_edited(L"0045");
  form.get<forms::CheckBox>(L"chkUnlocksPermitted").user_click(), bed.log->clear();

  EXPECT_TRUE(form.user_enter_key());
  EXPECT_EQ(bed.log->trace(),
            (Lines{L"let Computer.UnAvailableCaption = \"Maintenance\"",
                   L"let Computer.UnAvailableText = \"Line one\r\nLine two\"",
                   L"let Computer.LogonsEnabled = False", L"let Computer.UnlocksEnabled = False",
                   L"call Computer.SetRegistryValue(" + kKey + L"45)"}));
  EXPECT_EQ(bed.log->calls().back().args.at(3), Variant(int32_t{45}));
  EXPECT_TRUE(ok_at_first_write);
  EXPECT_FALSE(form.visible());
}

}  // namespace
}  // namespace pendrel
