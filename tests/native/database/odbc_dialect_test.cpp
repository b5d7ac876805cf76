#include <gtest/gtest.h>

#include "database/database.h"
#include "database/odbc_diagnostics.h"
#include "database/odbc_dialect.h"
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
