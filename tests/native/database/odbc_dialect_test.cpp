#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/odbc_diagnostics.h"
#include "database/odbc_dialect.h"
#include "database/odbc_text.h"
#include "raised.h"

namespace pendrel::database {
namespace {

TEST(OdbcDialect, TranslatesJetIdiomsOutsideLiterals) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Select * from qryEquipmentAssignments where Equipment.Name='PC042' and DomainID=1",
       L"Select * from qryEquipmentAssignments where \"Equipment.Name\"='PC042' and DomainID=1"},
      // Literals that look like qualified names or brackets stay as written.
      {L"Select * from qryEquipment where Name='a.b [c]'", nullptr},
      {L"Select * from vEquipment where EquipmentName='O''Brien.x'", nullptr},
      {L"Select [Users.Name], [a\"b] from qryUsers", L"Select \"Users.Name\", \"a\"\"b\" from qryUsers"},
      // Delimited names side by side stay apart.
      {L"Select [a][b], \"c\"[d] from t", L"Select \"a\" \"b\", \"c\" \"d\" from t"},
      // The source's own qualifier and queries over several tables keep their names.
      {L"Select * from Equipment where Equipment.Name='x'", nullptr},
      {L"Select * from Equipment, Domains where Domains.DomainID=1", nullptr}};
  for (const auto& [jet, want] : cases) EXPECT_EQ(translate_jet(jet), want ? want : jet);
}

TEST(OdbcDialect, SourcesAndCriteria) {
  EXPECT_EQ(query_of_source(L" [qry Users] "), L"SELECT * FROM \"qry Users\"");
  EXPECT_EQ(query_of_source(L"Select * from Domains"), L"Select * from Domains");
  EXPECT_EQ(single_source(L"SELECT * FROM [qry Users] WHERE a=1"), L"\"qry Users\"");
  EXPECT_EQ(single_source(L"SELECT * FROM \"Mixed\";"), L"\"Mixed\"");
  EXPECT_EQ(single_source(L"select 1"), L"");

  Criteria c = parse_criteria(L"[5x2]='O''Brien'");
  EXPECT_EQ(c.field, L"5x2");
  EXPECT_EQ(c.value, L"O'Brien");
  c = parse_criteria(L"Name = 'x'' OR ''1''=''1'");
  EXPECT_EQ(c.field, L"Name");
  EXPECT_EQ(c.value, L"x' OR '1'='1");
  for (const wchar_t* bad : {L"[5x2]", L"[5x2]=jdoe", L"[5x2]='a' or [5x2]='b'", L""})
    EXPECT_EQ(error_number([&] { parse_criteria(bad); }), 3001) << bad;
}

TEST(OdbcText, ReachesTheDriverAsUnicodeOrNotAtAll) {
  struct Case {
    std::wstring text;
    std::u16string utf16;
    const wchar_t* refused;  // the value the error names, or nullptr
  };
  const auto wide = [](std::initializer_list<uint32_t> units) {
    std::wstring text;
    for (uint32_t u : units) text += static_cast<wchar_t>(u);
    return text;
  };
  std::vector<Case> cases = {
      {quoted(L"O'Brien \u00e9\u20ac"), u"O''Brien \u00e9\u20ac", nullptr},
      {wide({0xD800}), u"", L"U+D800"},
      {wide({L'a', 0xDFFF}), u"", L"U+DFFF"},
  };
  if constexpr (sizeof(wchar_t) == 4) {
    cases.push_back({wide({0x1F600}), u"\U0001F600", nullptr});
    // Cut to 16 bits this was a quote: 'PC042' would have ended the literal.
    cases.push_back({quoted(L"PC042" + wide({0xA19C00})), u"", L"U+A19C00"});
    cases.push_back({wide({0x110000}), u"", L"U+110000"});
    cases.push_back({wide({0xFFFFFFFF}), u"", L"U+FFFFFFFF"});
    cases.push_back({wide({0xD83D, 0xDE00}), u"", L"U+D83D"});  // UTF-16 inside UTF-32
  } else {
    cases.push_back({wide({0xD83D, 0xDE00}), u"\U0001F600", nullptr});
  }
  for (const Case& c : cases) {
    if (!c.refused) {
      EXPECT_EQ(to_utf16(c.text), c.utf16);
      EXPECT_EQ(from_utf16(c.utf16), c.text);
    } else {
      EXPECT_EQ(error_of([&] { to_utf16(c.text); }).description(),
                L"Text for the database holds " + std::wstring(c.refused) + L", which is not a Unicode character");
    }
  }
}

TEST(OdbcDiagnostics, BuildsTheErrorFromTheRecords) {
  // 01S00, first or not, names the attribute problem.
  Error e = error_from_diagnostics({{L"28000", 1, L"Login failed"}, {L"01S00", 0, L"bad"}}, L"SQLDriverConnect");
  EXPECT_EQ(e.description(), L"Invalid connection string attribute");
  EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
  EXPECT_EQ(error_from_diagnostics({{L"IM002", 0, L"first"}, {L"HY000", 0, L"second"}}, L"x").description(),
            L"first");
  EXPECT_EQ(error_from_diagnostics({}, L"SQLAllocHandle").description(), L"SQLAllocHandle failed without diagnostics");
}

}  // namespace
}  // namespace pendrel::database
