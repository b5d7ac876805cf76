#include "logon/frm_logon_property.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/image_list.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "window_test_support.h"

namespace pendrel {
namespace {

using forms::CheckBox;
using forms::Frame;
using forms::ListView;

class LogonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed.computer->on(L"GetRegistryValue").call([this](std::span<Argument> args) {
      const auto it = stored.find(args[2].value.text());
      return it == stored.end() ? args[3].value : it->second;
    });
  }

  CheckBox& box(int i) { return form.get<CheckBox>(L"chkLogons", i); }
  Frame& frame(int i) { return form.get<Frame>(L"fraWatch", i); }
  forms::TextBox& server() { return form.get<forms::TextBox>(L"txtData", 0); }
  // Whether frame i, its list and its Add and Delete buttons are enabled: "1111".
  std::wstring enabled(int i) {
    std::wstring flags;
    for (const forms::Control* c : {form.find(L"fraWatch", i), form.find(L"ListView1", i),
                                    form.find(L"cmdButton", 3 + i), form.find(L"cmdButton", 7 + i)}) {
      flags += c->enabled() ? L'1' : L'0';
    }
    return flags;
  }

  fakes::WindowTestBed bed;
  std::map<std::wstring, Variant> stored;
  logon::FrmLogonProperty window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(LogonTest, ComputerSetReadsTheSettingsAndAppliesTheCheckBoxRule) {
  stored = {{L"SendMsgServer", L"EVTSRV"}, {L"SendLogonMsg", int32_t{2}}, {L"SendLogoffMsg", int32_t{1}}};
  window.set_Computer(bed.computer);
  const std::wstring read = L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\Gina\\Settings\", ";
  EXPECT_EQ(bed.log->trace(), (std::vector<std::wstring>{read + L"\"SendMsgServer\", \"\")",
                                                         read + L"\"SendLogonMsg\", 0)",
                                                         read + L"\"SendLogoffMsg\", 0)"}));
  EXPECT_EQ(bed.log->calls()[0].args[3].kind(), Variant::Kind::Text);
  EXPECT_EQ(bed.log->calls()[1].args[3].kind(), Variant::Kind::Int16);
  EXPECT_EQ(bed.log->calls()[2].args[3].kind(), Variant::Kind::Int16);
  EXPECT_EQ(server().text(), L"EVTSRV");
  EXPECT_EQ(box(0).value(), 0);
  EXPECT_EQ(box(1).value(), 1);
  EXPECT_EQ(enabled(0) + L" " + enabled(1) + L" " + enabled(2) + L" " + enabled(3), L"0000 1111 1111 1111");

  // Nothing stored: the defaults, both boxes clear.
  stored.clear();
  server().set_text(L"old");
  window.set_Computer(bed.computer);
  EXPECT_EQ(server().text(), L"");
  EXPECT_EQ(box(1).value(), 0);
  EXPECT_EQ(enabled(0) + L" " + enabled(1), L"0000 0000");
}

TEST_F(LogonTest, EitherCheckBoxReappliesBothFrames) {
  stored = {{L"SendLogonMsg", int32_t{1}}};
  window.set_Computer(bed.computer);
  ASSERT_EQ(enabled(0) + L" " + enabled(1), L"1111 0000");
  form.get<ListView>(L"ListView1", 1).set_enabled(true);
  frame(0).set_enabled(false);
  box(0).user_click();
  EXPECT_EQ(enabled(0) + L" " + enabled(1), L"0000 0000");
  box(1).user_click();
  EXPECT_EQ(enabled(0) + L" " + enabled(1), L"0000 1111");
  box(0).set_value(1);
  EXPECT_EQ(enabled(0) + L" " + enabled(1) + L" " + enabled(2) + L" " + enabled(3), L"1111 1111 1111 1111");
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

}  // namespace
}  // namespace pendrel
