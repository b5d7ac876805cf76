#include "unavailable/frm_unavailable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/check_box.h"
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

  fakes::WindowTestBed bed;
  Variant stored_time_out;
  unavailable::FrmUnavailable window{bed.env};
  forms::Form& form = window.form();
};

TEST_F(UnavailableTest, TimeOutTakesDigitsAndBackspaceOnlyAndMessageStopsAt8192) {
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
}

TEST_F(UnavailableTest, EnterConfirmsWithWritesInOrder) {
  form.show();
  bool ok_at_first_write = false;
  bed.computer->on(L"UnAvailableCaption").let([&](std::span<Argument>) { ok_at_first_write = window.OK(); });
  box(0).user_edited(L"Maintenance");
  box(1).user_edited(L"Line one\r\nLine two");
  box(2).user_edited(L"0045");
  form.get<forms::CheckBox>(L"chkUnlocksPermitted").user_click();
  bed.log->clear();

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
