// The ODBC layer against the real SQLite ODBC driver and the demo database.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/error.h"
#include "database/database.h"
#include "database/odbc_connection.h"
#include "demo_db.h"
#include "raised.h"

namespace pendrel::database {
namespace {

const wchar_t kEquipmentPC042[] =
    L"Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'";

class OdbcSqlite : public ::testing::Test {
 protected:
  std::shared_ptr<Connection> open() {
    auto connection = objects_.CreateConnection();
    connection->set_CursorLocation(kAdUseClient);
    connection->set_ConnectionString(demo_.connection_string());
    connection->Open();
    return connection;
  }
  std::wstring open_error(const std::wstring& text) {
    auto connection = objects_.CreateConnection();
    connection->set_ConnectionString(text);
    const Error e = error_of([&] { connection->Open(); });
    EXPECT_EQ(connection->State(), kAdStateClosed);
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
    return e.description();
  }

  DemoDatabase demo_;
  OdbcObjects objects_;
};

TEST_F(OdbcSqlite, AdoStyleRecordset) {
  auto connection = open();
  EXPECT_EQ(connection->State(), kAdStateOpen);
  auto rs = objects_.CreateRecordset();
  rs->set_ActiveConnection(connection);
  rs->set_CursorLocation(kAdUseClient);
  rs->set_CursorType(kAdOpenKeyset);
  rs->set_LockType(kAdLockOptimistic);
  rs->set_Source(kEquipmentPC042);
  EXPECT_EQ(rs->State(), kAdStateClosed);
  rs->Open();
  EXPECT_EQ(rs->State(), kAdStateOpen);
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields(L"Active").Value(), Variant(true));
  EXPECT_EQ((*rs)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));
  EXPECT_EQ(rs->CursorType(), kAdOpenKeyset);
  EXPECT_THROW(rs->set_Source(L"x"), Error);  // not while open
  rs->Close();
  EXPECT_EQ(rs->State(), kAdStateClosed);
  EXPECT_EQ(error_number([&] { rs->Close(); }), 3704);
  // No row: an open, empty recordset.
  rs->set_Source(L"Select * from vEquipment where EquipmentName='PC777' and DomainsName='SALES'");
  rs->Open();
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->EOF());
  // The missing view surfaces as the driver's error.
  auto missing = objects_.CreateRecordset();
  missing->set_ActiveConnection(connection);
  missing->set_Source(L"qryMissing");
  EXPECT_NE(raised([&] { missing->Open(); }).find(L"no such table: qryMissing"), std::wstring::npos);
  EXPECT_EQ(missing->State(), kAdStateClosed);
}

TEST_F(OdbcSqlite, NavigationalStyle) {
  auto connection = open();
  auto assignments = connection->OpenRecordset(
      L"Select * from qryEquipmentAssignments where Equipment.Name='PC042' and DomainID=1");
  ASSERT_EQ(assignments->RecordCount(), 3);
  auto users = connection->OpenRecordset(L"qryUsers");
  EXPECT_EQ(users->RecordCount(), 4);
  std::wstring seen;
  for (assignments->MoveFirst(); !assignments->EOF(); assignments->MoveNext()) {
    Variant account = assignments->Fields(L"5x2").Value();
    EXPECT_EQ(assignments->Fields(L"DomainID").Value(), Variant(int32_t{1}));
    if (account.is_null()) {
      seen += L"<null>;";
      continue;
    }
    users->MoveFirst();
    users->FindFirst(L"[5x2]='" + quoted(account.text()) + L"'");
    EXPECT_FALSE(users->NoMatch());
    seen += account.text() + L"=" + users->Fields(L"Users.Name").Value().text() + L"/" +
            (users->Fields(L"PhoneExt").Value().is_null() ? L"null" : L"ext") + L";";
  }
  EXPECT_EQ(seen, L"jdoe=John Doe/ext;asmith=Anna Smith/null;<null>;");
  EXPECT_THROW(assignments->MoveNext(), Error);
  EXPECT_EQ((*users)[L"userID"], Variant(int32_t{102}));  // still at asmith

  // Searching ignores case, and a miss leaves the current row alone.
  users->FindFirst(L"[5x2]='MLEE'");
  EXPECT_EQ((*users)[L"Location"], Variant::null());
  users->FindFirst(L"[5x2]='nobody'");
  EXPECT_TRUE(users->NoMatch());
  EXPECT_EQ((*users)[L"Users.Name"], Variant(L"Mei Lee"));
  EXPECT_EQ(error_number([&] { users->Fields(L"Users.Nam"); }), 3265);

  auto mac = connection->OpenRecordset(L"Select * from qryEquipment where Name='SRV01'");
  EXPECT_TRUE((*mac)[L"MACAddr"].is_null());
}

TEST_F(OdbcSqlite, ConnectionFailures) {
  EXPECT_EQ(open_error(L"Driver={No Such Driver};Database=" + demo_.file.wstring()),
            L"[unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found");
  EXPECT_EQ(open_error(L""),
            L"[unixODBC][Driver Manager]Data source name not found and no default driver "
            L"specified");
  const std::filesystem::path missing = demo_.dir / "missing.db";
  EXPECT_EQ(open_error(DemoDatabase::connection_string(missing)), L"[SQLite]connect failed");
  EXPECT_FALSE(std::filesystem::exists(missing));

  auto connection = objects_.CreateConnection();
  EXPECT_EQ(error_number([&] { connection->Close(); }), 3704);
  EXPECT_THROW(connection->OpenRecordset(L"qryUsers"), Error);
}

TEST_F(OdbcSqlite, UpdatePersistsAndDetectsConflicts) {
  auto connection = open();
  auto first = connection->OpenRecordset(kEquipmentPC042);
  auto second = connection->OpenRecordset(kEquipmentPC042);
  first->Fields(L"Active").set_Value(Variant(int32_t{0}));
  EXPECT_EQ((*first)[L"Active"], Variant(false));  // the field keeps its type
  first->Update();
  EXPECT_EQ(0, demo_.active_in_file("PC042"));
  EXPECT_EQ(1, demo_.active_in_file("SRV01"));

  // The second recordset still holds Active = true: its write must not land.
  second->Fields(L"MACAddr").set_Value(Variant(L"00-00-00-00-00-01"));
  EXPECT_EQ(error_of([&] { second->Update(); }).description(),
            L"Row cannot be located for updating. Some values may have been changed since it was last read.");
  auto reread = open()->OpenRecordset(kEquipmentPC042);
  EXPECT_EQ((*reread)[L"Active"], Variant(false));
  EXPECT_EQ((*reread)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));

  // A query over several tables has no row to write to.
  auto joined = connection->OpenRecordset(
      L"Select Equipment.Active from Equipment join Domains on Domains.DomainID = "
      L"Equipment.DomainID");
  joined->Fields(L"Active").set_Value(Variant(false));
  EXPECT_THROW(joined->Update(), Error);
}

TEST_F(OdbcSqlite, LockedFile) {
  auto connection = open();
  auto rs = connection->OpenRecordset(kEquipmentPC042);
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(demo_.file.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_THROW(connection->OpenRecordset(L"qryUsers"), Error);
  rs->Fields(L"Active").set_Value(Variant(false));
  EXPECT_NE(raised([&] { rs->Update(); }).find(L"locked"), std::wstring::npos);
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(1, demo_.active_in_file("PC042"));
  // Once the lock is gone the pending change goes through.
  rs->Update();
  EXPECT_EQ(0, demo_.active_in_file("PC042"));
}

}  // namespace
}  // namespace pendrel::database
