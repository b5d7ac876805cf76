#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "database/database.h"
#include "database/odbc_connection.h"
#include "demo_db.h"
#include "odbc_backend_checks.h"
#include "raised.h"

namespace pendrel::database {
namespace {

// The ODBC layer against the real SQLite ODBC driver and the demo database.
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

TEST_F(OdbcSqlite, DemoDatabaseBehaviourAsAnotherProgramSeesIt) {
  expect_demo_database_behaviour(objects_, [this] { return open(); });
  EXPECT_EQ(demo_.active_in_file("PC042"), 0);
  EXPECT_EQ(demo_.active_in_file("SRV01"), 1);
}

TEST_F(OdbcSqlite, FailuresSurfaceAsTheDriversErrors) {
  EXPECT_EQ(open_error(L"Driver={No Such Driver};Database=" + demo_.file.wstring()),
            L"[unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found");
  auto closed = objects_.CreateConnection();
  EXPECT_EQ(error_number([&] { closed->Close(); }), 3704);

  auto connection = open();
  auto view = objects_.CreateRecordset();
  view->set_ActiveConnection(connection);
  view->set_Source(L"qryMissing");
  EXPECT_NE(raised([&] { view->Open(); }).find(L"no such table: qryMissing"), std::wstring::npos);
  EXPECT_EQ(view->State(), kAdStateClosed);
}

TEST_F(OdbcSqlite, UpdateOfALockedFileFailsAndGoesThroughOnceUnlocked) {
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
  EXPECT_EQ(demo_.active_in_file("PC042"), 1);
  rs->Update();
  EXPECT_EQ(demo_.active_in_file("PC042"), 0);
}

}  // namespace
}  // namespace pendrel::database
