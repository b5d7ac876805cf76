// The same layer and schema against a PostgreSQL server on loopback, started
// by the test run, through its ODBC driver.
#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "database/database.h"
#include "database/odbc_connection.h"
#include "raised.h"

namespace pendrel::database {
namespace {

const wchar_t kEquipmentPC042[] =
    L"Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'";

std::shared_ptr<Connection> open() {
  OdbcObjects objects;
  auto connection = objects.CreateConnection();
  // BoolsAsChar=0: boolean columns arrive as booleans, not as "1"/"0".
  connection->set_ConnectionString(L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                   std::to_wstring(PENDREL_POSTGRES_PORT) +
                                   L";Database=postgres;UID=pendrel;BoolsAsChar=0");
  connection->Open();
  return connection;
}

TEST(OdbcPostgres, ReadsSearchesAndUpdatesThroughTheViews) {
  auto connection = open();
  auto equipment = connection->OpenRecordset(kEquipmentPC042);
  ASSERT_EQ(equipment->RecordCount(), 1);
  EXPECT_EQ((*equipment)[L"Active"], Variant(true));

  auto assignments = connection->OpenRecordset(
      L"Select * from qryEquipmentAssignments where Equipment.Name='PC042' and DomainID=1");
  auto users = connection->OpenRecordset(L"qryUsers");
  std::wstring seen;
  for (assignments->MoveFirst(); !assignments->EOF(); assignments->MoveNext()) {
    Variant account = (*assignments)[L"5x2"];
    if (account.is_null()) continue;
    users->FindFirst(L"[5x2]='" + quoted(account.text()) + L"'");
    seen += (*users)[L"Users.Name"].text() + L";";
  }
  EXPECT_EQ(seen, L"John Doe;Anna Smith;");
  auto none = connection->OpenRecordset(L"Select * from vEquipment where EquipmentName='" +
                                        quoted(L"x' OR '1'='1") + L"'");
  EXPECT_EQ(none->RecordCount(), 0);

  auto stale = connection->OpenRecordset(kEquipmentPC042);
  equipment->Fields(L"Active").set_Value(Variant(false));
  equipment->Update();
  EXPECT_EQ((*open()->OpenRecordset(kEquipmentPC042))[L"Active"], Variant(false));
  stale->Fields(L"MACAddr").set_Value(Variant(L"00-00-00-00-00-01"));
  EXPECT_EQ(error_of([&] { stale->Update(); }).description(),
            L"Row cannot be located for updating. Some values may have been changed since it was last read.");
  equipment->Fields(L"Active").set_Value(Variant(true));
  equipment->Update();
  auto reread = open()->OpenRecordset(kEquipmentPC042);
  EXPECT_EQ((*reread)[L"Active"], Variant(true));
  EXPECT_EQ((*reread)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));
}

}  // namespace
}  // namespace pendrel::database
