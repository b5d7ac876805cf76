// The same layer and schema against a PostgreSQL server on loopback, started
// by the test run, through its ODBC driver.
#include <gtest/gtest.h>

#include <string>

#include "database/odbc_connection.h"
#include "database/odbc_backend_checks.h"

namespace pendrel::database {
namespace {

TEST(OdbcPostgres, DemoDatabaseBehaviour) {
  OdbcObjects objects;
  expect_demo_database_behaviour(objects, [&] {
    auto connection = objects.CreateConnection();
    connection->set_CursorLocation(kAdUseClient);
    // BoolsAsChar=0: boolean columns arrive as booleans, not as "1"/"0".
    connection->set_ConnectionString(L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                     std::to_wstring(PENDREL_POSTGRES_PORT) +
                                     L";Database=postgres;UID=pendrel;BoolsAsChar=0");
    connection->Open();
    return connection;
  });
}

}  // namespace
}  // namespace pendrel::database
