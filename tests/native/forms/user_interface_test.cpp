#include <gtest/gtest.h>

#include "forms/geometry.h"
#include "forms/text_rules.h"
#include "forms/user_interface.h"

namespace pendrel::forms {
namespace {

TEST(SmallRules, DefaultButtonsTwipsCaseFreeOrderAndAccessKeys) {
  using namespace msgbox_style;
  EXPECT_EQ(default_button(kInformation), msgbox_result::kOK);
  EXPECT_EQ(default_button(kQuestion + kYesNo + kDefaultButton2), msgbox_result::kNo);
  EXPECT_EQ(default_button(kYesNoCancel + kDefaultButton3), msgbox_result::kCancel);
  EXPECT_EQ(default_button(kAbortRetryIgnore + kDefaultButton2), msgbox_result::kRetry);
  EXPECT_EQ(default_button(kRetryCancel), msgbox_result::kRetry);

  EXPECT_EQ(twips_to_pixels(7845, 96), 523);
  EXPECT_EQ(twips_to_pixels(7, 96), 0);
  EXPECT_EQ(twips_to_pixels(8, 96), 1);
  EXPECT_EQ(twips_to_pixels(-60, 96), -4);
  EXPECT_EQ(twips_to_pixels(1440, 144), 144);
  EXPECT_FLOAT_EQ(pixels_to_twips(1, 120), 12);

  EXPECT_EQ(compare_text(L"alpha", L"ALPHA"), 0);
  EXPECT_GT(compare_text(L"\u00e9t\u00e9", L"\u00c9T"), 0);
  EXPECT_LT(compare_text(L"Office", L"office2"), 0);
  EXPECT_EQ(access_key(L"Lo&gon Alerts"), L'G');
  EXPECT_EQ(access_key(L"Fish && &chips"), L'C');
  EXPECT_EQ(access_key(L"Fish && Chips"), 0);
  EXPECT_EQ(access_key(L"trailing&"), 0);
}

}  // namespace
}  // namespace pendrel::forms
