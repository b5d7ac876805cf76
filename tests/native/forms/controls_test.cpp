#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "raised.h"

namespace pendrel::forms {
namespace {

using Lines = std::vector<std::wstring>;

TEST(CheckBox, ClickRunsOnEveryChangeOfValueAndADisabledFrameTakesOnlyUserInput) {
  Lines clicks;
  Form form(L"frmComputerDetails", [&](Form& f) {
    auto& logons = f.add_to<CheckBox>(f.add<Frame>(L"fraContainer", 4), L"chkLogonsPermitted");
    // As the details window's handlers do: a cancelled change is undone by the handler itself.
    logons.on_click = [&clicks, &logons] {
      clicks.push_back(L"Click " + std::to_wstring(logons.value()));
      if (logons.value() == 0) logons.set_value(1);
    };
  });
  auto& logons = form.get<CheckBox>(L"chkLogonsPermitted");
  logons.set_value(1);
  logons.set_value(1);
  logons.user_set_value(0);
  EXPECT_EQ(clicks, (Lines{L"Click 1", L"Click 0", L"Click 1"}));
  EXPECT_EQ(error_number([&] { logons.set_value(3); }), 380);
  EXPECT_EQ(logons.value(), 1);

  form.get<Frame>(L"fraContainer", 4).set_enabled(false);
  EXPECT_TRUE(logons.enabled());
  EXPECT_FALSE(logons.effectively_enabled());
  clicks.clear();
  logons.user_click();
  EXPECT_EQ(logons.value(), 1);
  EXPECT_TRUE(clicks.empty());
  logons.set_value(2);  // code still reaches it
  EXPECT_EQ(clicks, Lines{L"Click 2"});
}

TEST(TextBox, MaxLengthLimitsOnlyTypingAndALineBreakIsTwoCharacters) {
  Lines changes;
  Form form(L"frmUnavailable", [&](Form& f) {
    auto& box = f.add<TextBox>(L"txtData", 1);
    box.set_multi_line(true);
    box.set_max_length(4);
    box.on_key_press = [](int& key) {
      if (key == '-') key = 0;
    };
    box.on_change = [&changes, &box] { changes.push_back(box.text()); };
  });
  auto& box = form.get<TextBox>(L"txtData", 1);
  box.set_text(L"ab");
  EXPECT_FALSE(box.user_typed(L'-'));
  EXPECT_TRUE(box.user_typed(L'c'));
  EXPECT_FALSE(box.user_typed(L'\r'));
  EXPECT_TRUE(box.user_typed(L'\b'));
  EXPECT_TRUE(box.user_typed(L'\r'));
  EXPECT_FALSE(box.user_typed(L'x'));
  EXPECT_TRUE(box.user_typed(L'\b'));
  EXPECT_EQ(changes, (Lines{L"ab", L"abc", L"ab", L"ab\r\n", L"ab"}));
  box.set_text(L"longer than the limit");
  EXPECT_EQ(box.text(), L"longer than the limit");
}

TEST(ComboBoxAndTabStrip, SelectionRaisesClickWhenItChangesAndBadPositionsRaise) {
  int combo_clicks = 0, tab_clicks = 0;
  Form form(L"frmComputerDetails", [&](Form& f) {
    f.add<ComboBox>(L"cmbTypes").on_click = [&] { ++combo_clicks; };
    auto& tabs = f.add<TabStrip>(L"TabStrip1");
    for (const wchar_t* caption : {L"&System", L"&Applications", L"&Work Groups"}) tabs.add_tab(caption);
    tabs.on_click = [&] { ++tab_clicks; };
  });
  auto& types = form.get<ComboBox>(L"cmbTypes");
  auto& tabs = form.get<TabStrip>(L"TabStrip1");

  types.add_item(L"Workstation");
  types.add_item(L"Server");
  types.add_item(L"Primary Domain Controller", 0);
  types.set_list_index(0);
  types.set_list_index(0);
  EXPECT_EQ(types.text(), L"Primary Domain Controller");
  types.user_select(2);
  EXPECT_EQ(types.text(), L"Server");
  EXPECT_EQ(error_number([&] { types.set_list_index(3); }), 380);
  types.clear();
  EXPECT_EQ(types.text(), L"");
  EXPECT_EQ(combo_clicks, 2);

  EXPECT_EQ(tabs.selected_index(), 1);
  tabs.select(1);
  tabs.user_select(3);
  EXPECT_EQ(tab_clicks, 1);
  EXPECT_EQ(error_number([&] { tabs.select(4); }), 35600);
  EXPECT_EQ(error_number([&] { tabs.select(0); }), 35600);
  EXPECT_EQ(tabs.tab_for_access_key(L'w'), 3);
}

}  // namespace
}  // namespace pendrel::forms
