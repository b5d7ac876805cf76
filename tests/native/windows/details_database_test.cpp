#include "details/database_stage.h"

#include <gtest/gtest.h>
#include <deque>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "database/odbc_connection.h"
#include "database/demo_db.h"
#include "details/frm_computer_details.h"
#include "forms/check_box.h"
#include "window_test_support.h"

// The ODBC headers stay inside the binding, even for a test that derives
// from its connection.
#ifdef SQL_NTS
#error "the ODBC headers reached a user of the binding"
#endif

namespace pendrel::details {
namespace {

using namespace database;

using Lines = std::vector<std::wstring>;
using Prompts = std::vector<fakes::Prompt>;
using Row = std::map<std::wstring, Variant>;

const Error kNoDsn(-2147467259, L"Data source name not found and no default driver specified");
const std::wstring kPleaseCorrect = L"\r\n\r\nPlease correct the Larkspan DSN in the Registry and restart.";
const std::wstring kQuestion =
    L"There was a connect error to the Larkspans Database.  It is most likely a UserID issue.  "
    L"Do you want to edit the connect string?";

// A recordset, a connection and their factory that log every call with an
// effect, in order.
class FakeRecordset : public Recordset {
 public:
  struct FakeField : Field {
    FakeField(FakeRecordset& rs, std::wstring name) : rs(rs), name(std::move(name)) {}
    const std::wstring& Name() const override { return name; }
    Variant Value() const override { return rs.rows.at(0).at(name); }
    void set_Value(Variant v) override { rs.note(name + L" = " + v.to_text()), rs.rows.at(0)[name] = std::move(v); }
    FakeRecordset& rs;
    std::wstring name;
  };

  FakeRecordset(std::shared_ptr<Lines> log, std::vector<Row> rows) : log(std::move(log)), rows(std::move(rows)) {}
  void note(const std::wstring& what) { log->push_back(L"Recordset." + what); }

  std::shared_ptr<Lines> log;
  std::vector<Row> rows;
  std::optional<Error> open_error, update_error;
  int32_t state = kAdStateClosed;

  void set_ActiveConnection(std::shared_ptr<Connection> c) override {
    note(std::wstring(L"ActiveConnection = ") + (c ? L"Connection" : L"Nothing"));
  }
  int32_t CursorLocation() const override { return 0; }
  int32_t CursorType() const override { return 0; }
  int32_t LockType() const override { return 0; }
  void set_CursorLocation(int32_t v) override { note(L"CursorLocation = " + std::to_wstring(v)); }
  void set_CursorType(int32_t v) override { note(L"CursorType = " + std::to_wstring(v)); }
  void set_LockType(int32_t v) override { note(L"LockType = " + std::to_wstring(v)); }
  const std::wstring& Source() const override { return source_; }
  void set_Source(std::wstring s) override { note(L"Source = " + (source_ = std::move(s))); }
  void Open() override {
    if (note(L"Open"), open_error) throw *open_error;
    state = kAdStateOpen;
  }
  int32_t State() const override { return state; }
  int32_t RecordCount() const override { return static_cast<int32_t>(rows.size()); }
  void Close() override { note(L"Close"), state = kAdStateClosed; }
  void Update() override {
    if (note(L"Update"), update_error) throw *update_error;
  }
  void MoveFirst() override {}
  void MoveNext() override {}
  bool EOF() const override { return rows.empty(); }
  void FindFirst(std::wstring_view) override {}
  bool NoMatch() const override { return true; }
  Field& Fields(std::wstring_view name) override { return fields_.emplace_back(*this, std::wstring(name)); }

 private:
  std::wstring source_;
  std::deque<FakeField> fields_;
};

class FakeConnection : public Connection {
 public:
  explicit FakeConnection(std::shared_ptr<Lines> log) : log(std::move(log)) {}
  std::shared_ptr<Lines> log;
  std::deque<Error> open_errors;  // the next Open calls fail with these
  int32_t state = kAdStateClosed;

  int32_t CursorLocation() const override { return 0; }
  void set_CursorLocation(int32_t v) override { log->push_back(L"Connection.CursorLocation = " + std::to_wstring(v)); }
  const std::wstring& ConnectionString() const override { return text_; }
  void set_ConnectionString(std::wstring t) override { log->push_back(L"Connection.ConnectionString = " + (text_ = t)); }
  void Open() override {
    log->push_back(L"Connection.Open");
    if (open_errors.empty()) return void(state = kAdStateOpen);
    const Error e = open_errors.front();
    open_errors.pop_front();
    throw e;
  }
  void Close() override { log->push_back(L"Connection.Close"), state = kAdStateClosed; }
  int32_t State() const override { return state; }
  std::shared_ptr<Recordset> OpenRecordset(std::wstring_view) override { return nullptr; }

 private:
  std::wstring text_;
};

struct FakeObjects : DatabaseObjects {
  explicit FakeObjects(std::shared_ptr<Lines> log) : log(std::move(log)) {}
  std::shared_ptr<Lines> log;
  std::shared_ptr<FakeConnection> connection;
  std::shared_ptr<FakeRecordset> recordset;
  std::optional<Error> recordset_error;

  std::shared_ptr<Connection> CreateConnection() override {
    return log->push_back(L"CreateObject(ADODB.Connection)"), connection;
  }
  std::shared_ptr<Recordset> CreateRecordset() override {
    log->push_back(L"CreateObject(ADODB.Recordset)");
    if (recordset_error) throw *recordset_error;
    return std::exchange(recordset, nullptr);
  }
};

// The product's details window (its chkActive(0) writes back through
// StoreActive) over a fresh library state of this thread.
class StageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = {};
    computer->on(L"Name").get(L"PC042");
    computer->on(L"Domain").get(L"SALES");
    objects.connection = connection;
  }
  void TearDown() override { db = {}; }

  bool run_stage(DatabaseObjects& with) {
    outside::Computer facade(computer);
    return DatabaseStage({db, with, bed.ui, window.form(), facade}, err);
  }
  bool run_stage() { return run_stage(objects); }
  forms::CheckBox& active_box() { return window.form().get<forms::CheckBox>(L"chkActive", 0); }

  ManagementDatabase& db = management_database();
  std::shared_ptr<Lines> log = std::make_shared<Lines>();
  FakeObjects objects{log};
  std::shared_ptr<FakeConnection> connection = std::make_shared<FakeConnection>(log);
  fakes::WindowTestBed bed;
  std::shared_ptr<fakes::FakeDispatch>& computer = bed.computer;
  FrmComputerDetails window{bed.env};
  ErrState err;
};

TEST_F(StageTest, OpenFailureReconnectsOnceAndDropsTheEarlierRecord) {
  db.ConnectString = L"DSN=Larkspan";
  // The connection of the previous load is dropped, not closed explicitly.
  db.ManagementConnection = std::make_shared<FakeConnection>(log);
  db.ManagementConnection->Open();
  log->clear();
  db.EquipmentRecord = std::make_shared<FakeRecordset>(log, std::vector<Row>{{{L"Active", true}}});
  connection->open_errors = {kNoDsn, kNoDsn};
  objects.recordset = std::make_shared<FakeRecordset>(log, std::vector<Row>{{{L"Active", true}}});
  objects.recordset->open_error = kNoDsn;

  EXPECT_TRUE(run_stage());
  EXPECT_EQ(bed.ui.prompts(), (Prompts{fakes::message(kNoDsn.description() + kPleaseCorrect, 16, L"Pendrel")}));
  EXPECT_EQ(*log, (Lines{L"CreateObject(ADODB.Connection)", L"Connection.CursorLocation = 3",
                         L"Connection.ConnectionString = DSN=Larkspan", L"Connection.Open",
                         L"CreateObject(ADODB.Recordset)", L"Connection.Open",
                         L"Recordset.ActiveConnection = Connection", L"Recordset.CursorLocation = 3",
                         L"Recordset.CursorType = 1", L"Recordset.LockType = 3",
                         L"Recordset.Source = Select * from vEquipment where EquipmentName='PC042' and "
                         L"DomainsName='SALES'",
                         L"Recordset.Open"}));
  // The failed reconnect leaves the hourglass for the load to reset.
  EXPECT_EQ(bed.ui.pointers(), std::vector<int>{11});
  EXPECT_EQ(db.EquipmentRecord, nullptr);
  EXPECT_FALSE(active_box().visible());
  EXPECT_EQ(err.description(), kNoDsn.description());
}

TEST_F(StageTest, FailuresAreIgnoredOnlyWithAConnectString) {
  // Without one, the record an earlier load left decides the box, and a
  // failing write-back reaches the load.
  auto earlier = std::make_shared<FakeRecordset>(log, std::vector<Row>{{{L"Active", true}}});
  db.EquipmentRecord = earlier;
  EXPECT_FALSE(run_stage());
  EXPECT_EQ(*log, (Lines{L"Recordset.Active = True", L"Recordset.Update"}));
  EXPECT_TRUE(active_box().visible());
  earlier->rows[0][L"Active"] = Variant::null();  // an If reads Null as false
  earlier->update_error = Error(-2147217864, L"Row cannot be located for updating.");
  EXPECT_THROW(run_stage(), Error);
  EXPECT_EQ(active_box().value(), forms::check_value::kUnchecked);

  // With one, a host that cannot give the name skips the query (the earlier
  // record stays), and the failing write-back is skipped too.
  db.ConnectString = L"DSN=Larkspan";
  log->clear();
  earlier->rows[0][L"Active"] = true;
  computer->on(L"Name").raise(Error(462, L"The remote server machine does not exist or is unavailable"));
  EXPECT_TRUE(run_stage());
  EXPECT_EQ(db.EquipmentRecord, earlier);
  EXPECT_EQ(log->back(), L"Recordset.Update");
  EXPECT_EQ(err.number(), -2147217864);
  EXPECT_EQ(active_box().value(), forms::check_value::kChecked);
  EXPECT_TRUE(active_box().visible());
  EXPECT_TRUE(bed.ui.prompts().empty());

  // "&Active" on a record without rows writes nothing.
  log->clear();
  StoreActive(std::make_shared<FakeRecordset>(log, std::vector<Row>{}), true);
  EXPECT_TRUE(log->empty());
}

TEST_F(StageTest, GetRecordsetReportsAFailedCreation) {
  objects.recordset_error = Error(429, L"ActiveX component can't create object");
  EXPECT_EQ(GetRecordset(objects, bed.ui, err, connection, L"qryUsers", true), nullptr);
  EXPECT_EQ(bed.ui.prompts(),
            (Prompts{fakes::message(
                L"Error Calling CreateObject(ADODB.Recordset).  429 - ActiveX component can't create object", 0,
                L"Pendrel")}));
}

// The stage against the SQLite ODBC driver and a fresh demo database.

// Refuses a user id with SQLSTATE 01S00 as some drivers do; SQLite ignores
// attributes it does not know.
class UserIdRefusingConnection : public odbc::OdbcConnection {
 public:
  void Open() override {
    if (ConnectionString().find(L"UID=") != std::wstring::npos) {
      throw Error(static_cast<int32_t>(0x80004005u), std::wstring(kInvalidConnectionStringAttribute));
    }
    odbc::OdbcConnection::Open();
  }
};

class UserIdRefusingObjects : public OdbcObjects {
 public:
  std::shared_ptr<Connection> CreateConnection() override {
    auto connection = std::make_shared<UserIdRefusingConnection>();
    connection->self = connection;
    return connection;
  }
};

class RealDatabaseTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    db.ConnectString = connect;
  }

  bool load(const std::wstring& name) {
    computer->on(L"Name").get(name);
    return run_stage(odbc);
  }

  DemoDatabase demo;
  OdbcObjects odbc;
  const std::wstring connect = demo.connection_string();
};

TEST_F(RealDatabaseTest, ReadsTheEquipmentRowTheActiveBoxWritesItBackAndNothingStaysOpen) {
  EXPECT_TRUE(load(L"PC042"));
  ASSERT_NE(db.EquipmentRecord, nullptr);
  EXPECT_EQ(active_box().value(), forms::check_value::kChecked);
  EXPECT_TRUE(active_box().visible());
  active_box().user_click();
  EXPECT_EQ(demo.active_in_file("PC042"), 0);
  active_box().user_click();
  EXPECT_EQ(demo.active_in_file("PC042"), 1);
  // A false Active clears the box; its write-back leaves the row as it was.
  EXPECT_TRUE(load(L"PC099"));
  EXPECT_EQ(active_box().value(), forms::check_value::kUnchecked);
  EXPECT_EQ(demo.active_in_file("PC099"), 0);

  EXPECT_TRUE(load(L"x' OR '1'='1"));
  EXPECT_EQ(db.EquipmentRecord, nullptr);
  EXPECT_FALSE(active_box().visible());

  // Loads leave no connection open.
  auto descriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
  };
  load(L"PC042");
  const auto before = descriptors();
  for (int i = 0; i < 100; ++i) load(L"PC042");
  EXPECT_EQ(descriptors(), before);
}

TEST_F(RealDatabaseTest, RefusedUserIdIsRepairedThroughTheEditBox) {
  UserIdRefusingObjects refusing;
  const std::wstring with_uid = connect + L";UID=console";
  const Prompts asked = {fakes::message(L"Invalid connection string attribute" + kPleaseCorrect, 16, L"Pendrel"),
                         fakes::message(kQuestion, 36, L"Pendrel")};
  const fakes::Prompt edit = fakes::input(L"Edit:", L"Larkspan ODBC Connection String", with_uid);
  db.ConnectString = with_uid;
  bed.ui.answer_message(forms::msgbox_result::kOK);
  bed.ui.answer_message(forms::msgbox_result::kNo);
  EXPECT_TRUE(run_stage(refusing));
  EXPECT_EQ(bed.ui.prompts(), asked);
  EXPECT_EQ(db.ConnectString, with_uid);
  EXPECT_EQ(db.EquipmentRecord, nullptr);

  bed.ui.answer_message(forms::msgbox_result::kOK);
  bed.ui.answer_message(forms::msgbox_result::kYes);
  bed.ui.answer_input(connect);
  EXPECT_TRUE(run_stage(refusing));
  EXPECT_EQ(Prompts(bed.ui.prompts().begin() + 2, bed.ui.prompts().end()),
            (Prompts{asked[0], asked[1], edit}));
  EXPECT_EQ(db.ConnectString, connect);
  EXPECT_EQ(active_box().value(), forms::check_value::kChecked);
  EXPECT_TRUE(active_box().visible());

  // Cancelled: the reopen still runs, with the empty text, and fails
  // quietly; later loads connect to nothing.
  db.ConnectString = with_uid;
  bed.ui.answer_message(forms::msgbox_result::kOK);
  bed.ui.answer_message(forms::msgbox_result::kYes);
  bed.ui.answer_input(L"");
  EXPECT_TRUE(run_stage(refusing));
  EXPECT_EQ(db.ConnectString, L"");
  EXPECT_EQ(bed.ui.prompts().size(), 8u);
}

}  // namespace
}  // namespace pendrel::details
