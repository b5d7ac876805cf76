#include <gtest/gtest.h>

#include <cstring>

#include "core/text.h"

namespace pendrel {
namespace {

TEST(AnsiText, Windows1252BothWays) {
  EXPECT_EQ(to_ansi(L"Gr\u00FC\u00DFe \u20AC5 \u2019x\u2122"), "Gr\xFC\xDF" "e \x80" "5 \x92x\x99");
  EXPECT_EQ(from_ansi("Gr\xFC\xDF" "e \x80" "5 \x92x\x99"), L"Gr\u00FC\u00DFe \u20AC5 \u2019x\u2122");
  // Every byte survives a round trip, the five unassigned ones included.
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::wstring wide = from_ansi(all);
  EXPECT_EQ(wide[0x81 - 1], L'\u0081');
  EXPECT_EQ(wide[0x9F - 1], L'\u0178');
  EXPECT_EQ(to_ansi(wide), all);
}

TEST(AnsiText, OutsideTheCodePageBecomesQuestionMarksAndBuffersStopAtNulOrSize) {
  EXPECT_EQ(to_ansi(L"a\u0100b\u4E2D\U0001F600\u0080c"), "a?b???c");
  EXPECT_EQ(to_ansi(std::wstring(L"x\0y", 3)), std::string("x\0y", 3));
  const char filled[] = "DOMAIN\\user\0stale";
  EXPECT_EQ(from_ansi_buffer(filled, sizeof filled), L"DOMAIN\\user");
  EXPECT_EQ(from_ansi_buffer(filled, 6), L"DOMAIN");
  // A full buffer without NUL, followed by guard bytes that must not appear.
  char guarded[12];
  std::memset(guarded, 'G', sizeof guarded);
  std::memcpy(guarded, "caf\xE9\x80xyz", 8);
  EXPECT_EQ(from_ansi_buffer(guarded, 8), L"caf\u00E9\u20ACxyz");
  EXPECT_EQ(from_ansi_buffer(guarded, 0), L"");
}

TEST(PlainText, TrimAndCompare) {
  EXPECT_EQ(trim_spaces(L"  a  b  "), L"a  b");
  EXPECT_EQ(trim_spaces(L"\ta\t "), L"\ta\t");
  EXPECT_EQ(trim_spaces(L"    "), L"");
  EXPECT_TRUE(equal_no_case(L"GetServerInformation", L"getserverINFORMATION"));
  EXPECT_FALSE(equal_no_case(L"Name", L"Names"));
  EXPECT_FALSE(equal_no_case(L"[", L"{"));  // differ by the case bit, but are no letters
  EXPECT_FALSE(equal_no_case(L"@", L"`"));
}

}  // namespace
}  // namespace pendrel
