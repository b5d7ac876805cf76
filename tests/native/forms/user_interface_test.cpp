#include <gtest/gtest.h>

#include "forms/geometry.h"
#include "forms/text_rules.h"
#include "forms/user_interface.h"

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
