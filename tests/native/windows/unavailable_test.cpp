#include "unavailable/frm_unavailable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/text_box.h"
#include "window_test_support.h"

namespace pendrel {
namespace {

using Lines = std::vector<std::wstring>;

const std::wstring kKey = L"-2147483646, \"SOFTWARE\\Vyx\\Gina\\Restrictions\", \"UnAvailableTimeOut\", ";

class UnavailableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed.computer->on(L"Name").get(L"PC042");
    bed.computer->property(L"UnAvailableCaption", L"Closed");
    bed.computer->property(L"UnAvailableText", L"Back at six");
    bed.computer->property(L"UnlocksEnabled", int32_t{5});
    bed.computer->property(L"LogonsEnabled", true);
    bed.computer->on(L"GetRegistryValue").call([this](std::span<Argument> args) {
      return stored_time_out.is_empty() ? args[3].value : stored_time_out;
    });
    bed.computer->on(L"SetRegistryValue").call(int32_t{0});
    window.set_Computer(bed.computer);
  }

  forms::TextBox& box(int index) { return form.get<forms::TextBox>(L"txtData", index); }
  forms::CheckBox& unlocks() { return form.get<forms::CheckBox>(L"chkUnlocksPermitted"); }
  void click(const wchar_t* button) { form.get<forms::CommandButton>(button).user_click(); }
  const Variant& written_time_out() const { return bed.log->calls().back().args.at(3); }

  fakes::WindowTestBed bed;
  Variant stored_time_out;
  unavailable::FrmUnavailable window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(UnavailableTest, ActivationReadsEverySettingBetweenTwoRaises) {
  form.load();
  EXPECT_EQ(form.caption(), L"Unavailable Dialog Settings");
  window.set_OK(true);
  form.show();
  EXPECT_EQ(bed.log->trace(), (Lines{L"get Computer.Name", L"get Computer.UnAvailableCaption",
                                     L"get Computer.UnAvailableText",
                                     L"call Computer.GetRegistryValue(" + kKey + L"60)",
                                     L"get Computer.UnlocksEnabled"}));
  EXPECT_EQ(bed.log->calls()[3].args[3].kind(), Variant::Kind::Int16);
  EXPECT_FALSE(window.OK());
  EXPECT_EQ(form.caption(), L"Unavailable Properties of PC042");
  EXPECT_EQ(box(0).text() + L"|" + box(1).text() + L"|" + box(2).text(), L"Closed|Back at six|60");
  EXPECT_EQ(unlocks().value(), 1);
  EXPECT_EQ(bed.peer_lines(L"zorder 0"), 2);

  form.hide();
  stored_time_out = int32_t{45};
  bed.computer->property(L"UnlocksEnabled", false);
  form.show();
  EXPECT_EQ(box(2).text(), L"45");
  EXPECT_EQ(unlocks().value(), 0);
}

TEST_F(UnavailableTest, TimeOutTakesDigitsAndBackspaceOnlyAndMessageStopsAt8192) {
  form.show();
  for (int index : {0, 1, 2}) {
    box(index).set_text(L"");
    for (wchar_t c : std::wstring(L"1a-. 20\t3\x1b")) box(index).user_typed(c);
    EXPECT_EQ(box(index).user_key_press(13), index == 2 ? 0 : 13);
  }
  EXPECT_EQ(box(0).text(), L"1a-. 203");
  EXPECT_EQ(box(1).text(), L"1a-. 203");
  EXPECT_EQ(box(2).text(), L"1203");
  EXPECT_TRUE(box(2).user_typed(L'\b'));
  EXPECT_EQ(box(2).text(), L"120");

  box(1).set_text(std::wstring(8191, L'x'));
  EXPECT_TRUE(box(1).user_typed(L'y'));
  EXPECT_FALSE(box(1).user_typed(L'z'));
  EXPECT_EQ(box(1).text(), std::wstring(8191, L'x') + L"y");
}

TEST_F(UnavailableTest, EnterConfirmsWithWritesInOrder) {
  form.show();
  bool ok_at_first_write = false;
  bed.computer->on(L"UnAvailableCaption").let([&](std::span<Argument>) { ok_at_first_write = window.OK(); });
  box(0).user_edited(L"Maintenance");
  box(1).user_edited(L"Line one\r\nLine two");
  box(2).user_edited(L"0045");
  unlocks().user_click();
  bed.log->clear();

  EXPECT_TRUE(form.user_enter_key());
  EXPECT_EQ(bed.log->trace(),
            (Lines{L"let Computer.UnAvailableCaption = \"Maintenance\"",
                   L"let Computer.UnAvailableText = \"Line one\r\nLine two\"",
                   L"let Computer.LogonsEnabled = False", L"let Computer.UnlocksEnabled = False",
                   L"call Computer.SetRegistryValue(" + kKey + L"45)"}));
  EXPECT_EQ(written_time_out(), Variant(int32_t{45}));
  EXPECT_TRUE(ok_at_first_write);
  EXPECT_TRUE(window.OK());
  EXPECT_FALSE(form.visible());
  EXPECT_TRUE(form.loaded());

  // Nothing stored: 60 is shown and written back; the box checked writes True.
  form.show();
  unlocks().user_click();
  bed.log->clear();
  click(L"OKButton");
  ASSERT_EQ(bed.log->calls().size(), 5u);
  EXPECT_EQ(bed.log->trace()[3], L"let Computer.UnlocksEnabled = True");
  EXPECT_EQ(written_time_out(), Variant(int32_t{60}));
}

TEST_F(UnavailableTest, CancelOnlyPermitsLogonsAndEscIsNotBound) {
  form.show();
  box(0).user_edited(L"Changed");
  bed.log->clear();
  EXPECT_FALSE(form.user_escape_key());
  EXPECT_TRUE(bed.log->trace().empty());
  EXPECT_TRUE(form.visible());

  click(L"CancelButton");
  EXPECT_EQ(bed.log->trace(), (Lines{L"let Computer.LogonsEnabled = True"}));
  EXPECT_FALSE(window.OK());
  EXPECT_FALSE(form.visible());
}

TEST_F(UnavailableTest, TimeOutThatDoesNotFitWarnsAndWritesNothing) {
  form.show();
  const std::wstring bad[] = {L"", L"12345678901", L"00000000045", L"2147483648", L"9999999999", L"4x", L" 45"};
  for (const std::wstring& text : bad) {
    box(2).set_text(text);
    bed.log->clear();
    click(L"OKButton");
    EXPECT_TRUE(bed.log->trace().empty()) << text;
    EXPECT_FALSE(window.OK()) << text;
    EXPECT_TRUE(form.visible()) << text;
  }
  ASSERT_EQ(bed.ui.prompts().size(), std::size(bad));
  EXPECT_EQ(bed.ui.prompts().back(),
            fakes::message(L"The time-out must be a whole number of seconds from 0 to 2147483647.\r\n"
                           L"Please correct it; nothing has been saved.",
                           48, L"Pendrel"));

  box(2).set_text(L"2147483647");
  click(L"OKButton");
  EXPECT_EQ(written_time_out(), Variant(int32_t{2147483647}));
  EXPECT_EQ(bed.ui.prompts().size(), std::size(bad));
}

}  // namespace
}  // namespace pendrel
