#include <gtest/gtest.h>

#include "database/database.h"
#include "database/odbc_dialect.h"
#include "database/odbc_diagnostics.h"
#include "raised.h"

namespace pendrel::database {
namespace {

TEST(OdbcDialect, TranslatesJetIdiomsOutsideLiterals) {
  EXPECT_EQ(translate_jet(L"Select * from qryEquipmentAssignments where Equipment.Name='PC042' "
                          L"and DomainID=1"),
            L"Select * from qryEquipmentAssignments where \"Equipment.Name\"='PC042' and DomainID=1");
  // A literal that looks like a qualified name or a bracket stays as written.
  EXPECT_EQ(translate_jet(L"Select * from qryEquipment where Name='a.b [c]'"),
            L"Select * from qryEquipment where Name='a.b [c]'");
  EXPECT_EQ(translate_jet(L"Select * from vEquipment where EquipmentName='O''Brien.x'"),
            L"Select * from vEquipment where EquipmentName='O''Brien.x'");
  EXPECT_EQ(translate_jet(L"[5x2]='jdoe'"), L"\"5x2\"='jdoe'");
  EXPECT_EQ(translate_jet(L"Select [Users.Name], [a\"b] from qryUsers"),
            L"Select \"Users.Name\", \"a\"\"b\" from qryUsers");
  // The source's own qualifier and queries over several tables keep their names.
  EXPECT_EQ(translate_jet(L"Select * from Equipment where Equipment.Name='x'"),
            L"Select * from Equipment where Equipment.Name='x'");
  EXPECT_EQ(translate_jet(L"Select * from Equipment, Domains where Domains.DomainID=1"),
            L"Select * from Equipment, Domains where Domains.DomainID=1");
}

TEST(OdbcDialect, SourcesAndCriteria) {
  EXPECT_EQ(query_of_source(L"qryUsers"), L"SELECT * FROM qryUsers");
  EXPECT_EQ(query_of_source(L" [qry Users] "), L"SELECT * FROM \"qry Users\"");
  EXPECT_EQ(query_of_source(L"Select * from Domains"), L"Select * from Domains");

  EXPECT_EQ(single_source(L"Select * from vEquipment where EquipmentName='a'"), L"vEquipment");
  EXPECT_EQ(single_source(L"SELECT * FROM qryUsers"), L"qryUsers");
  EXPECT_EQ(single_source(L"SELECT * FROM [qry Users] WHERE a=1"), L"\"qry Users\"");
  EXPECT_EQ(single_source(L"SELECT * FROM \"Mixed\";"), L"\"Mixed\"");
  EXPECT_EQ(single_source(L"select * from a join b on a.x=b.x"), L"");
  EXPECT_EQ(single_source(L"select 1"), L"");

  Criteria c = parse_criteria(L"[5x2]='O''Brien'");
  EXPECT_EQ(c.field, L"5x2");
  EXPECT_EQ(c.value, L"O'Brien");
  c = parse_criteria(L"Name = 'x'' OR ''1''=''1'");
  EXPECT_EQ(c.field, L"Name");
  EXPECT_EQ(c.value, L"x' OR '1'='1");
  for (const wchar_t* bad : {L"[5x2]", L"[5x2]=jdoe", L"[5x2]='a' or [5x2]='b'", L""}) {
    EXPECT_EQ(error_number([&] { parse_criteria(bad); }), 3001) << bad;
  }
}

TEST(OdbcDiagnostics, BuildsTheErrorFromTheRecords) {
  Error e = error_from_diagnostics(
      {{L"01S00", 0, L"[vendor][driver] Invalid attribute UIDX"}, {L"28000", 18456, L"Login failed"}},
      L"SQLDriverConnect");
  EXPECT_EQ(e.description(), L"Invalid connection string attribute");
  EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
  // 01S00 after another record still names the attribute problem.
  e = error_from_diagnostics({{L"28000", 1, L"Login failed"}, {L"01S00", 0, L"bad"}}, L"x");
  EXPECT_EQ(e.description(), L"Invalid connection string attribute");
  e = error_from_diagnostics({{L"IM002", 0, L"first"}, {L"HY000", 0, L"second"}}, L"x");
  EXPECT_EQ(e.description(), L"first");
  e = error_from_diagnostics({}, L"SQLAllocHandle");
  EXPECT_EQ(e.description(), L"SQLAllocHandle failed without diagnostics");
}

TEST(Database, QuotedDoublesSingleQuotes) {
  EXPECT_EQ(quoted(L"O'Brien"), L"O''Brien");
  EXPECT_EQ(quoted(L"x' OR '1'='1"), L"x'' OR ''1''=''1");
  EXPECT_EQ(quoted(L"''"), L"''''");
  EXPECT_EQ(quoted(L"PC042"), L"PC042");
}

}  // namespace
}  // namespace pendrel::database
