#include <gtest/gtest.h>

#include "forms/geometry.h"
#include "forms/text_rules.h"
#include "forms/user_interface.h"
#include "scripted_ui.h"

namespace pendrel::forms {
namespace {

TEST(MessageBoxes, EnterChoosesTheDefaultButtonOfTheStyle) {
  using namespace msgbox_result;
  EXPECT_EQ(default_button(msgbox_style::kInformation), kOK);
  EXPECT_EQ(default_button(msgbox_style::kQuestion + msgbox_style::kYesNo), kYes);
  EXPECT_EQ(default_button(msgbox_style::kYesNo + msgbox_style::kDefaultButton2), kNo);
  EXPECT_EQ(default_button(msgbox_style::kYesNoCancel + msgbox_style::kDefaultButton3), kCancel);
  EXPECT_EQ(default_button(msgbox_style::kOKCancel + msgbox_style::kDefaultButton2), kCancel);
  EXPECT_EQ(default_button(msgbox_style::kAbortRetryIgnore + msgbox_style::kDefaultButton2), kRetry);
  EXPECT_EQ(default_button(msgbox_style::kRetryCancel), kRetry);
}

TEST(MessageBoxes, TheScriptAnswersInOrderAndKeepsEveryPrompt) {
  fakes::ScriptedUserInterface ui;
  ui.answer_message(msgbox_result::kNo);
  ui.answer_input(L"");
  const wchar_t* question =
      L"There was a connect error to the Larkspans Database.  It is most likely a UserID issue.  "
      L"Do you want to edit the connect string?";
  EXPECT_EQ(ui.message_box(question, 36, L"Pendrel"), msgbox_result::kNo);
  EXPECT_EQ(ui.message_box(question, 36, L"Pendrel"), msgbox_result::kYes);
  EXPECT_EQ(ui.input_box(L"Edit:", L"Larkspan ODBC Connection String", L"DSN=Larkspan"), L"");
  EXPECT_EQ(ui.input_box(L"Edit:", L"Larkspan ODBC Connection String", L"DSN=Larkspan"), L"DSN=Larkspan");
  EXPECT_TRUE(ui.script_used_up());
  EXPECT_EQ(ui.prompts(), (std::vector<fakes::Prompt>{
                              fakes::message(question, 36, L"Pendrel"),
                              fakes::message(question, 36, L"Pendrel"),
                              fakes::input(L"Edit:", L"Larkspan ODBC Connection String", L"DSN=Larkspan"),
                              fakes::input(L"Edit:", L"Larkspan ODBC Connection String", L"DSN=Larkspan"),
                          }));

  int user_actions = 0;
  ui.on_do_events = [&] { ++user_actions; };
  ui.do_events();
  ui.set_mouse_pointer(mouse_pointer::kHourglass);
  ui.set_mouse_pointer(mouse_pointer::kDefault);
  EXPECT_EQ(user_actions, 1);
  EXPECT_EQ(ui.pointers(), (std::vector<int>{11, 0}));
}

TEST(Geometry, TwipsBecomePixelsAtTheWindowsDpi) {
  EXPECT_EQ(twips_to_pixels(7845, 96), 523);
  EXPECT_EQ(twips_to_pixels(3915, 96), 261);
  EXPECT_EQ(twips_to_pixels(7, 96), 0);
  EXPECT_EQ(twips_to_pixels(8, 96), 1);
  EXPECT_EQ(twips_to_pixels(-60, 96), -4);
  EXPECT_EQ(twips_to_pixels(1440, 144), 144);
  EXPECT_FLOAT_EQ(pixels_to_twips(523, 96), 7845);
  EXPECT_FLOAT_EQ(pixels_to_twips(1, 120), 12);
}

TEST(TextRules, CaseFreeOrderAndAccessKeys) {
  EXPECT_EQ(compare_text(L"alpha", L"ALPHA"), 0);
  EXPECT_LT(compare_text(L"alpha", L"Bravo"), 0);
  EXPECT_GT(compare_text(L"\u00e9t\u00e9", L"\u00c9T"), 0);
  EXPECT_LT(compare_text(L"Office", L"office2"), 0);
  EXPECT_EQ(access_key(L"Lo&gon Alerts"), L'G');
  EXPECT_EQ(access_key(L"Fish && &chips"), L'C');
  EXPECT_EQ(access_key(L"Fish && Chips"), 0);
  EXPECT_EQ(access_key(L"trailing&"), 0);
}

}  // namespace
}  // namespace pendrel::forms
