// The query texts, the dialect, the text conversion and the diagnostics: also
// built for Wine, where wchar_t is UTF-16.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "database/management_database.h"
#include "database/odbc_diagnostics.h"
#include "database/odbc_dialect.h"
#include "database/odbc_text.h"
#include "raised.h"

namespace pendrel::database {
namespace {

TEST(QueryTexts, ValuesHaveTheirQuotesDoubled) {
  EXPECT_EQ(equipment_query(L"O'Brien", L"SALES"),
            L"Select * from vEquipment where EquipmentName='O''Brien' and DomainsName='SALES'");
  EXPECT_EQ(domain_id_query(L"x' OR '1'='1"), L"Select * from Domains where Name = 'x'' OR ''1''=''1'");
  EXPECT_EQ(domain_name_query(-7), L"Select * from Domains where DomainID=-7");
  EXPECT_EQ(assignments_query(L"O'Brien", 0),
            L"Select * from qryEquipmentAssignments where Equipment.Name='O''Brien' and DomainID=0");
  EXPECT_EQ(user_criteria(L"o'neil"), L"[5x2]='o''neil'");
  EXPECT_EQ(mac_address_query(L"PC042"), L"Select * from qryEquipment where Name='PC042'");
}

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

TEST(OdbcText, ReachesTheDriverAsUnicodeOrNotAtAll) {
  const auto wide = [](std::initializer_list<uint32_t> units) {
    std::wstring text;
    for (uint32_t u : units) text += static_cast<wchar_t>(u);
    return text;
  };
  EXPECT_EQ(to_utf16(quoted(L"O'Brien \u00e9\u20ac")), u"O''Brien \u00e9\u20ac");
  EXPECT_EQ(from_utf16(u"O''Brien \u00e9\u20ac"), L"O''Brien \u00e9\u20ac");
  // {text, the character the error names}: lone surrogates, and with 32-bit characters what is no
  // Unicode character (cut to 16 bits, U+A19C00 would be a quote ending the literal after PC042).
  std::vector<std::pair<std::wstring, std::wstring>> refused = {{wide({0xD800}), L"U+D800"},
                                                                {wide({L'a', 0xDFFF}), L"U+DFFF"}};
  if constexpr (sizeof(wchar_t) == 4) {
    refused.push_back({quoted(L"PC042" + wide({0xA19C00})), L"U+A19C00"});
    refused.push_back({wide({0xD83D, 0xDE00}), L"U+D83D"});  // UTF-16 inside UTF-32
  } else {
    EXPECT_EQ(to_utf16(wide({0xD83D, 0xDE00})), u"\U0001F600");
  }
  for (const auto& [text, named] : refused)
    EXPECT_EQ(error_of([&] { to_utf16(text); }).description(),
              L"Text for the database holds " + named + L", which is not a Unicode character");
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
