#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "raised.h"

namespace pendrel::forms {
namespace {

TEST(CheckBox, ClickRunsOnEveryChangeOfValueAndOnlyThen) {
  std::vector<std::wstring> clicks;
  Form form(L"frmComputerDetails", [&](Form& f) {
    auto& fra = f.add<Frame>(L"fraContainer", 4);
    auto& online = f.add<CheckBox>(L"chkActive", 1);
    auto& active = f.add<CheckBox>(L"chkActive", 0);
    auto& logons = f.add_to<CheckBox>(fra, L"chkLogonsPermitted");
    // As the details window's handlers do: one box drives another, and a
    // cancelled change is undone by the handler itself.
    online.on_click = [&] {
      clicks.push_back(L"chkActive(1)=" + std::to_wstring(online.value()));
      active.set_value(online.value());
    };
    active.on_click = [&] { clicks.push_back(L"chkActive(0)=" + std::to_wstring(active.value())); };
    logons.on_click = [&] {
      clicks.push_back(L"chkLogonsPermitted=" + std::to_wstring(logons.value()));
      if (logons.value() == 0) logons.set_value(1);
    };
  });
  form.load();
  auto& online = form.get<CheckBox>(L"chkActive", 1);
  auto& logons = form.get<CheckBox>(L"chkLogonsPermitted");

  online.set_value(1);
  online.set_value(1);
  EXPECT_EQ(clicks, (std::vector<std::wstring>{L"chkActive(1)=1", L"chkActive(0)=1"}));

  clicks.clear();
  logons.set_value(1);
  logons.user_set_value(0);
  EXPECT_EQ(clicks, (std::vector<std::wstring>{L"chkLogonsPermitted=1", L"chkLogonsPermitted=0",
                                               L"chkLogonsPermitted=1"}));
  EXPECT_EQ(logons.value(), 1);

  clicks.clear();
  EXPECT_EQ(error_number([&] { online.set_value(3); }), 380);
  EXPECT_EQ(online.value(), 1);
  online.user_click();
  EXPECT_EQ(online.value(), 0);

  // A disabled frame keeps the box's own Enabled but takes its user input.
  form.get<Frame>(L"fraContainer", 4).set_enabled(false);
  EXPECT_TRUE(logons.enabled());
  EXPECT_FALSE(logons.effectively_enabled());
  logons.user_set_value(0);
  EXPECT_EQ(logons.value(), 1);
  logons.set_value(0);  // code still reaches it
  EXPECT_EQ(clicks, (std::vector<std::wstring>{L"chkActive(1)=0", L"chkActive(0)=0", L"chkLogonsPermitted=0",
                                               L"chkLogonsPermitted=1"}));
}

TEST(CommandButton, ClicksFromUserCodeEnterAndEsc) {
  std::vector<std::wstring> clicks;
  Form form(L"frmLogonProperty", [&](Form& f) {
    for (int i = 0; i < 2; ++i) {
      auto& b = f.add<CommandButton>(L"cmdButton", i);
      b.on_click = [&clicks, i] { clicks.push_back(L"cmdButton(" + std::to_wstring(i) + L")"); };
    }
  });
  form.load();
  auto& ok = form.get<CommandButton>(L"cmdButton", 0);
  auto& cancel = form.get<CommandButton>(L"cmdButton", 1);
  EXPECT_FALSE(form.user_escape_key());
  ok.set_default(true);
  cancel.set_default(true);  // one default per form
  cancel.set_cancel(true);
  EXPECT_FALSE(ok.is_default());
  ok.set_default(true);
  EXPECT_FALSE(cancel.is_default());
  EXPECT_EQ(form.default_button(), &ok);
  EXPECT_EQ(form.cancel_button(), &cancel);

  ok.set_value(false);
  ok.set_value(true);
  EXPECT_TRUE(form.user_enter_key());
  EXPECT_TRUE(form.user_escape_key());
  cancel.set_enabled(false);
  EXPECT_FALSE(form.user_escape_key());
  cancel.user_click();
  EXPECT_EQ(clicks, (std::vector<std::wstring>{L"cmdButton(0)", L"cmdButton(0)", L"cmdButton(1)"}));
}

TEST(TextBox, KeyPressFiltersAndMaxLengthLimitsTyping) {
  std::vector<std::wstring> changes;
  Form form(L"frmUnavailable", [&](Form& f) {
    auto& message = f.add<TextBox>(L"txtData", 1);
    message.set_multi_line(true);
    message.set_scroll_bars(2);
    message.set_max_length(8192);
    auto& timeout = f.add<TextBox>(L"txtData", 2);
    timeout.on_key_press = [](int& key) {
      if (!(key >= '0' && key <= '9') && key != 8) key = 0;
    };
    timeout.on_change = [&] { changes.push_back(timeout.text()); };
  });
  form.load();
  auto& message = form.get<TextBox>(L"txtData", 1);
  auto& timeout = form.get<TextBox>(L"txtData", 2);

  timeout.set_text(L"60");
  for (wchar_t c : std::wstring(L"a-. 4")) timeout.user_typed(c);
  EXPECT_TRUE(timeout.user_typed(L'\b'));
  EXPECT_FALSE(timeout.user_typed(L'\r'));
  EXPECT_EQ(timeout.text(), L"60");
  EXPECT_EQ(changes, (std::vector<std::wstring>{L"60", L"604", L"60"}));

  message.set_text(std::wstring(8190, L'm'));
  EXPECT_TRUE(message.user_typed(L'y'));
  EXPECT_TRUE(message.user_typed(L'z'));
  EXPECT_FALSE(message.user_typed(L'!'));
  EXPECT_EQ(message.text().size(), 8192u);
  EXPECT_EQ(message.text().substr(8189), L"myz");
  EXPECT_TRUE(message.user_typed(L'\b'));
  EXPECT_FALSE(message.user_typed(L'\r'));  // a line break is two characters
  message.set_text(std::wstring(9000, L'c'));  // the limit is the user's, not code's
  EXPECT_EQ(message.text().size(), 9000u);
  message.set_text(L"one");
  EXPECT_TRUE(message.user_typed(L'\r'));
  EXPECT_TRUE(message.user_typed(L'\b'));
  EXPECT_EQ(message.text(), L"one");
}

TEST(ComboBoxAndTabStrip, SelectionRaisesClickWhenItChanges) {
  int combo_clicks = 0, tab_clicks = 0;
  Form form(L"frmComputerDetails", [&](Form& f) {
    auto& types = f.add<ComboBox>(L"cmbTypes");
    types.on_click = [&] { ++combo_clicks; };
    auto& tabs = f.add<TabStrip>(L"TabStrip1");
    for (const wchar_t* caption : {L"&System", L"&Applications", L"&Work Groups"}) tabs.add_tab(caption);
    tabs.on_click = [&] { ++tab_clicks; };
  });
  form.load();
  auto& types = form.get<ComboBox>(L"cmbTypes");
  auto& tabs = form.get<TabStrip>(L"TabStrip1");

  types.add_item(L"Workstation");
  types.add_item(L"Server");
  types.add_item(L"Primary Domain Controller", 0);
  EXPECT_EQ(types.list_index(), -1);
  types.set_list_index(0);
  types.set_list_index(0);
  EXPECT_EQ(types.text(), L"Primary Domain Controller");
  types.user_select(2);
  EXPECT_EQ(types.text(), L"Server");
  EXPECT_EQ(error_number([&] { types.set_list_index(3); }), 380);
  types.clear();
  EXPECT_EQ(types.list_count(), 0);
  EXPECT_EQ(types.list_index(), -1);
  EXPECT_EQ(types.text(), L"");
  EXPECT_EQ(combo_clicks, 2);

  EXPECT_EQ(tabs.selected_index(), 1);
  tabs.select(1);
  tabs.user_select(3);
  EXPECT_EQ(tabs.selected_index(), 3);
  EXPECT_EQ(tab_clicks, 1);
  EXPECT_EQ(error_number([&] { tabs.select(4); }), 35600);
  EXPECT_EQ(error_number([&] { tabs.select(0); }), 35600);
  EXPECT_EQ(tabs.tab_for_access_key(L'w'), 3);
}

}  // namespace
}  // namespace pendrel::forms
