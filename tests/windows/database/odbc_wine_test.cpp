#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/error.h"
#include "database/database.h"
#include "database/odbc_connection.h"
#include "raised.h"

namespace pendrel::database {
namespace {

namespace fs = std::filesystem;

const wchar_t kEquipmentPC042[] =
    L"Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'";

class OdbcWine : public ::testing::Test {
 protected:
  // Each test works on its own copy of the demo database; the driver runs on
  // the Unix side and gets the Unix path, this program reaches it through Z:.
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    unix_path_ = std::wstring(PENDREL_DEMO_DB) + L"." + std::wstring(name.begin(), name.end());
    fs::copy_file(fs::path(L"Z:" + std::wstring(PENDREL_DEMO_DB)), windows_path(),
                  fs::copy_options::overwrite_existing);
  }
  void TearDown() override { fs::remove(windows_path()); }

  fs::path windows_path() const { return fs::path(L"Z:" + unix_path_); }

  std::shared_ptr<Connection> open() {
    auto connection = objects_.CreateConnection();
    connection->set_CursorLocation(kAdUseClient);
    connection->set_ConnectionString(L"Driver={SQLite3};Database=" + unix_path_ + L";NoCreat=1");
    connection->Open();
    return connection;
  }

  OdbcObjects objects_;
  std::wstring unix_path_;
};

TEST_F(OdbcWine, ReadsEveryView) {
  auto connection = open();
  EXPECT_EQ(connection->State(), kAdStateOpen);
  auto equipment = objects_.CreateRecordset();
  equipment->set_ActiveConnection(connection);
  equipment->set_CursorLocation(kAdUseClient);
  equipment->set_CursorType(kAdOpenKeyset);
  equipment->set_LockType(kAdLockOptimistic);
  equipment->set_Source(kEquipmentPC042);
  equipment->Open();
  ASSERT_EQ(equipment->RecordCount(), 1);
  EXPECT_EQ((*equipment)[L"Active"], Variant(true));

  auto domains = connection->OpenRecordset(L"Select * from Domains where Name = 'SALES'");
  EXPECT_EQ(domains->Fields(L"DomainID").Value().to_long(), 1);

  auto assignments = connection->OpenRecordset(
      L"Select * from qryEquipmentAssignments where Equipment.Name='PC042' and DomainID=1");
  auto users = connection->OpenRecordset(L"qryUsers");
  std::wstring seen;
  for (assignments->MoveFirst(); !assignments->EOF(); assignments->MoveNext()) {
    Variant account = (*assignments)[L"5x2"];
    if (account.is_null()) {
      seen += L"<null>;";
      continue;
    }
    users->MoveFirst();
    users->FindFirst(L"[5x2]='" + quoted(account.text()) + L"'");
    seen += (*users)[L"Users.Name"].text() + L";";
  }
  EXPECT_EQ(seen, L"John Doe;Anna Smith;<null>;");

  auto mac = connection->OpenRecordset(L"Select * from qryEquipment where Name='PC042'");
  EXPECT_EQ((*mac)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));
}

TEST_F(OdbcWine, UpdateOfActivePersists) {
  auto connection = open();
  auto stale = connection->OpenRecordset(kEquipmentPC042);
  auto equipment = connection->OpenRecordset(kEquipmentPC042);
  equipment->Fields(L"Active").set_Value(Variant(int32_t{0}));
  equipment->Update();
  auto reread = open()->OpenRecordset(kEquipmentPC042);
  EXPECT_EQ((*reread)[L"Active"], Variant(false));

  stale->Fields(L"Active").set_Value(Variant(true));
  EXPECT_EQ(error_of([&] { stale->Update(); }).description(),
            L"Row cannot be located for updating. Some values may have been changed since it was last read.");
  reread = open()->OpenRecordset(kEquipmentPC042);
  EXPECT_EQ((*reread)[L"Active"], Variant(false));
}

TEST_F(OdbcWine, WrongDriverIsAnError) {
  auto connection = objects_.CreateConnection();
  connection->set_ConnectionString(L"Driver={No Such Driver};Database=" + unix_path_);
  EXPECT_THROW(connection->Open(), Error);
  EXPECT_EQ(connection->State(), kAdStateClosed);
}

}  // namespace
}  // namespace pendrel::database
