// The ODBC layer against the real SQLite ODBC driver and the demo database.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/error.h"
#include "database/database.h"
#include "database/odbc_connection.h"

namespace pendrel::database {
namespace {

namespace fs = std::filesystem;

const wchar_t kEquipmentPC042[] =
    L"Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'";
const std::wstring kRowGone =
    L"Row cannot be located for updating. Some values may have been changed since it was last read.";

class OdbcSqlite : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pendrel-odbc-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    file_ = dir_ / "demo.db";
    std::string command = std::string(PENDREL_MAKE_DEMO_DB) + " " + file_.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::wstring connection_string(const fs::path& file) const {
    return L"Driver={SQLite3};Database=" + file.wstring() + L";NoCreat=1;Timeout=200";
  }
  std::shared_ptr<Connection> open() {
    auto connection = objects_.CreateConnection();
    connection->set_CursorLocation(kAdUseClient);
    connection->set_ConnectionString(connection_string(file_));
    connection->Open();
    return connection;
  }
  void sql(const char* text) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, text, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  bool active_in_file(const char* name) {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_open(file_.c_str(), &db);
    sqlite3_prepare_v2(db, "SELECT Active FROM Equipment WHERE Name = ?", -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, name, -1, SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    bool active = sqlite3_column_int(stmt, 0) != 0;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return active;
  }
  std::wstring open_error(const std::wstring& text) {
    auto connection = objects_.CreateConnection();
    connection->set_ConnectionString(text);
    try {
      connection->Open();
    } catch (const Error& e) {
      EXPECT_EQ(connection->State(), kAdStateClosed);
      EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
      return e.description();
    }
    ADD_FAILURE() << "Open succeeded";
    return {};
  }

  OdbcObjects objects_;
  fs::path dir_, file_;
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
  try {
    rs->Close();
    ADD_FAILURE() << "second Close";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3704);
  }
  // No row: an open, empty recordset.
  rs->set_Source(L"Select * from vEquipment where EquipmentName='PC777' and DomainsName='SALES'");
  rs->Open();
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->EOF());
  // The missing view surfaces as the driver's error.
  auto missing = objects_.CreateRecordset();
  missing->set_ActiveConnection(connection);
  missing->set_Source(L"qryMissing");
  try {
    missing->Open();
    ADD_FAILURE() << "opened a missing view";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find(L"no such table: qryMissing"), std::wstring::npos)
        << std::string(e.what());
  }
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
  try {
    users->Fields(L"Users.Nam");
    ADD_FAILURE() << "unknown field";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3265);
  }

  auto domains = connection->OpenRecordset(L"Select * from Domains where Name = 'ENGINEERING'");
  EXPECT_EQ(domains->Fields(L"DomainID").Value().to_long(), 2);
  domains = connection->OpenRecordset(L"Select * from Domains where DomainID=1");
  EXPECT_EQ((*domains)[L"Name"], Variant(L"SALES"));
  domains->Close();
  auto mac = connection->OpenRecordset(L"Select * from qryEquipment where Name='SRV01'");
  EXPECT_TRUE((*mac)[L"MACAddr"].is_null());
}

TEST_F(OdbcSqlite, QuotesInNamesFindOnlyTheirOwnRow) {
  sql("INSERT INTO Equipment VALUES (9, 'O''Brien', 1, 0, NULL);"
      "INSERT INTO Users VALUES (9, 'x'' OR ''1''=''1', 1, 'Quote User', NULL, NULL);");
  auto connection = open();
  auto rs = connection->OpenRecordset(L"Select * from vEquipment where EquipmentName='" +
                                      quoted(L"O'Brien") + L"' and DomainsName='SALES'");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ((*rs)[L"EquipmentID"], Variant(int32_t{9}));
  rs = connection->OpenRecordset(L"Select * from vEquipment where EquipmentName='" +
                                 quoted(L"x' OR '1'='1") + L"' and DomainsName='SALES'");
  EXPECT_EQ(rs->RecordCount(), 0);
  auto users = connection->OpenRecordset(L"qryUsers");
  users->FindFirst(L"[5x2]='" + quoted(L"x' OR '1'='1") + L"'");
  EXPECT_EQ((*users)[L"userID"], Variant(int32_t{9}));
}

TEST_F(OdbcSqlite, ConnectionFailures) {
  EXPECT_EQ(open_error(L"Driver={No Such Driver};Database=" + file_.wstring()),
            L"[unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found");
  EXPECT_EQ(open_error(L""),
            L"[unixODBC][Driver Manager]Data source name not found and no default driver "
            L"specified");
  // NoCreat=1: a missing file is an error and is not made.
  fs::path missing = dir_ / "missing.db";
  EXPECT_EQ(open_error(connection_string(missing)), L"[SQLite]connect failed");
  EXPECT_FALSE(fs::exists(missing));

  auto connection = objects_.CreateConnection();
  try {
    connection->Close();
    ADD_FAILURE() << "closed a closed connection";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3704);
  }
  EXPECT_THROW(connection->OpenRecordset(L"qryUsers"), Error);
}

TEST_F(OdbcSqlite, UpdatePersistsAndDetectsConflicts) {
  auto connection = open();
  auto first = connection->OpenRecordset(kEquipmentPC042);
  auto second = connection->OpenRecordset(kEquipmentPC042);
  first->Fields(L"Active").set_Value(Variant(int32_t{0}));
  EXPECT_EQ((*first)[L"Active"], Variant(false));  // the field keeps its type
  first->Update();
  EXPECT_FALSE(active_in_file("PC042"));
  EXPECT_TRUE(active_in_file("SRV01"));

  // The second recordset still holds Active = true: its write must not land.
  second->Fields(L"MACAddr").set_Value(Variant(L"00-00-00-00-00-01"));
  try {
    second->Update();
    ADD_FAILURE() << "stale row written";
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), kRowGone);
  }
  auto reread = open()->OpenRecordset(kEquipmentPC042);
  EXPECT_EQ((*reread)[L"Active"], Variant(false));
  EXPECT_EQ((*reread)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));

  // Written back and changed again from the same recordset.
  reread->Fields(L"Active").set_Value(Variant(true));
  reread->Update();
  EXPECT_TRUE(active_in_file("PC042"));

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
  ASSERT_EQ(sqlite3_open(file_.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_THROW(connection->OpenRecordset(L"qryUsers"), Error);
  rs->Fields(L"Active").set_Value(Variant(false));
  try {
    rs->Update();
    ADD_FAILURE() << "wrote to a locked file";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find(L"locked"), std::wstring::npos)
        << std::string(e.what());
  }
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_TRUE(active_in_file("PC042"));
  // Once the lock is gone the pending change goes through.
  rs->Update();
  EXPECT_FALSE(active_in_file("PC042"));
}

}  // namespace
}  // namespace pendrel::database
