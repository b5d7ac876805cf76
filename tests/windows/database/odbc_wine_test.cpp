// The ODBC layer through Wine's odbc32, which hands the calls to unixODBC and
// the SQLite driver on the Unix side: the driver gets the database's Unix
// path, this program reaches the file through Z:.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "database/odbc_backend_checks.h"
#include "database/odbc_connection.h"

namespace pendrel::database {
namespace {

namespace fs = std::filesystem;

TEST(OdbcWine, DemoDatabaseBehaviour) {
  const std::wstring unix_path = std::wstring(PENDREL_DEMO_DB) + L".copy";
  const fs::path windows_path(L"Z:" + unix_path);
  fs::copy_file(fs::path(L"Z:" + std::wstring(PENDREL_DEMO_DB)), windows_path, fs::copy_options::overwrite_existing);
  OdbcObjects objects;
  expect_demo_database_behaviour(objects, [&] {
    auto connection = objects.CreateConnection();
    connection->set_CursorLocation(kAdUseClient);
    connection->set_ConnectionString(L"Driver={SQLite3};Database=" + unix_path + L";NoCreat=1");
    connection->Open();
    return connection;
  });

  auto wrong = objects.CreateConnection();
  wrong->set_ConnectionString(L"Driver={No Such Driver};Database=" + unix_path);
  EXPECT_THROW(wrong->Open(), Error);
  EXPECT_EQ(wrong->State(), kAdStateClosed);
  fs::remove(windows_path);
}

}  // namespace
}  // namespace pendrel::database
