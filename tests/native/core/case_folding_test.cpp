#include <gtest/gtest.h>

#include "core/text.h"

namespace pendrel {
namespace {

// Simple case folding: the same natively and on Windows, whatever the locale.
TEST(CaseFolding, EqualWithoutRegardToCaseBeyondAToZ) {
  struct Case { const wchar_t *a, *b; bool equal; } cases[] = {
      {L"SALES\\J\u00dcRGEN", L"sales\\j\u00fcrgen", true}, {L"\u03a3\u039f\u03a3", L"\u03c3\u03bf\u03c2", true},
      {L"\u1e9e", L"\u00df", true}, {L"\U00010400", L"\U00010428", true},  // a surrogate pair on Windows
      {L"STRASSE", L"stra\u00dfe", false}, {L"\u0130", L"i", false}, {L"[", L"{", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(equal_no_case(c.a, c.b), c.equal) << testing::PrintToString(std::wstring(c.a));
    EXPECT_EQ(case_folded(c.a) == case_folded(c.b), c.equal) << testing::PrintToString(std::wstring(c.a));
  }
}

}  // namespace
}  // namespace pendrel
