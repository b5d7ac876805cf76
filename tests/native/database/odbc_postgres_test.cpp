// The same layer and schema against a PostgreSQL server on loopback, started
// by the test run, through its ODBC driver.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "database/odbc_connection.h"
#include "database/odbc_backend_checks.h"

namespace pendrel::database {
namespace {

std::shared_ptr<Connection> open(DatabaseObjects& objects) {
  auto connection = objects.CreateConnection();
  connection->set_CursorLocation(kAdUseClient);
  // BoolsAsChar=0: boolean columns arrive as booleans, not as "1"/"0".
  connection->set_ConnectionString(L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                   std::to_wstring(PENDREL_POSTGRES_PORT) +
                                   L";Database=postgres;UID=pendrel;BoolsAsChar=0");
  connection->Open();
  return connection;
}

TEST(OdbcPostgres, DemoDatabaseBehaviour) {
  OdbcObjects objects;
  expect_demo_database_behaviour(objects, [&] { return open(objects); });
}

TEST(OdbcPostgres, ADroppedConnectionEndsItsServerSession) {
  OdbcObjects objects;
  auto counter = open(objects);
  auto sessions = [&] {
    return (*counter->OpenRecordset(L"SELECT count(*) AS n FROM pg_stat_activity WHERE usename = 'pendrel'"))[L"n"]
        .to_long();
  };
  const int32_t before = sessions();
  for (int i = 0; i < 100; ++i) open(objects);
  // A server process ends a moment after its client has gone.
  int32_t after = sessions();
  for (int wait = 0; wait < 50 && after > before; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    after = sessions();
  }
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace pendrel::database
