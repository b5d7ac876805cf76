// The details window's load stages one by one: the system tab, the users
// tab, and the database stage against fakes that log every call and against
// the SQLite ODBC driver with a fresh demo database; and the ODBC layer itself
// against that driver.
#include "details/database_stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apps/registry_access.h"
#include "database/database.h"
#include "database/demo_db.h"
#include "database/management_database.h"
#include "database/odbc_backend_checks.h"
#include "database/odbc_connection.h"
#include "details/frm_computer_details.h"
#include "details/system_stages.h"
#include "details/time_zone.h"
#include "details/users.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/host_control.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "raised.h"
#include "support/fakes.h"

// The ODBC headers stay inside the binding, even for a test that derives
// from its connection.
#ifdef SQL_NTS
#error "the ODBC headers reached a user of the binding"
#endif

namespace pendrel::details {
namespace {

using fakes::count_of;
using Lines = std::vector<std::wstring>;

class SystemStagesTest : public ::testing::Test {
 protected:
  SystemStagesTest() {
    bed.pc042(), bed.computer->property(L"Reachable", false);
    for (auto [member, id] : {std::pair{L"PingHost", 6}, {L"PingCount", 5}, {L"PingSetting", 2}}) ping->on(member, id).let(0);
    ping->on(L"PingAddress", 7).get(L"127.0.0.1"), ping->on(L"PingFullName", 8).get(L"pc042.sales.test");
    window.set_DomainObject(bed.domain_object), window.set_Computer(bed.computer);
    form.get<forms::HostControl>(L"Ping1").set_object(ping), bed.log->clear();
  }
  ~SystemStagesTest() override { database::release_management_database(); }

  forms::Label& Label2(int index) { return form.get<forms::Label>(L"Label2", index); }

  fakes::DetailsTestBed bed;
  FrmComputerDetails window{bed.env};
  forms::Form& form = window.form();
  std::shared_ptr<fakes::FakeDispatch> ping = bed.computer->sibling(L"Ping1");
  LoadState state;
};

TEST(SystemTexts, ServerTypesSystemTimeTransitionsAndZoneNames) {
  EXPECT_EQ(ServerTypes(int32_t{0x40008000}), (Lines{L"Servers maintained by the browser", L"Windows NT non-DC server"}));
  EXPECT_EQ(OperatingSystem(int32_t{300}, int16_t{5}, Variant::null()), L"?? 5.");
  EXPECT_EQ(FormatTime(make_date({2027, 1, 1, 23, 5, 9})), L"Fri Jan 01 23:05:09 2027");

  const Date in_2026 = make_date({2026, 7, 4, 12, 0, 0});
  const std::pair<SystemTime, const wchar_t*> transitions[] = {
      {{0, 3, 0, 5, 2}, L"3/29/2026 2:00:00 AM"}, {{0, 3, 0, 1, 2}, L"3/1/2026 2:00:00 AM"},  // last, first Sunday
      {{0, 2, 1, 5, 0}, L"2/23/2026"}, {{2027, 4, 0, 3, 1, 2, 3}, L"4/3/2027 1:02:03 AM"}};   // Monday; absolute
  for (const auto& [rule, text] : transitions) EXPECT_EQ(date_text(GetTransitionDate(rule, in_2026).value()), text);
  EXPECT_FALSE(GetTransitionDate({0, 0, 0, 1, 2}, in_2026));

  EXPECT_EQ(GetZoneName(std::wstring(L"Pacific\0junk", 12)), L"Pacific");
  EXPECT_EQ(GetZoneName(L"  Pacific  "), L"Pacific");

  // A word beyond 32 bits overflows.
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  for (double value : {1e20, -1e20, nan, inf, -inf, 4294967296.0, -2147483649.0})
    EXPECT_EQ(error_number([&] { ServerTypes(value); }), vb_error::kOverflow) << value;
  EXPECT_EQ(ServerTypes(4294967295.0).size(), 23u);
}

TEST_F(SystemStagesTest, HostReadsWhoseOrderOrNumberIsFixed) {
  // Name before Domain in the queries: the equipment row, then the assigned users.
  database::DemoDatabase demo;
  database::ManagementDatabase& db = database::management_database();
  db.ConnectString = demo.connection_string();
  DatabaseStage({db, bed.odbc, bed.ui, window.form(), window.computer()}, state.err);
  AssignedUsersStage(window, state);
  Lines reads = bed.log->trace();
  std::erase_if(reads, [](const std::wstring& l) { return l != L"get Computer.Name" && l != L"get Computer.Domain"; });
  EXPECT_EQ(reads, (Lines{L"get Computer.Name", L"get Computer.Domain", L"get Computer.Name", L"get Computer.Domain"}));

  // The machine root of another computer still reads all four names.
  bed.log->clear();
  apps::RegKey root;
  apps::OpenMachineRoot(bed.registry, window.computer(), window.domain_object(), root);
  EXPECT_EQ(bed.log->trace(), (Lines{L"get Computer.Name", L"get DomainObject.ThisComputerName",
                                     L"get Computer.Domain", L"get DomainObject.ThisDomainName"}));

  // The zone click reads TZBias again and the caption anew.
  for (auto member : {L"TZBias", L"tz"}) bed.computer->on(member).get(int32_t{-60});
  Label2(0).set_caption(L"10:15");
  bed.log->clear();
  ShowRemoteTimeZone(window);
  const Lines trace = bed.log->trace();
  EXPECT_EQ(count_of(trace, L"get Computer.TZBias"), 2);
  EXPECT_EQ(Lines(trace.end() - 2, trace.end()), (Lines{L"get Computer.Domain", L"get Computer.Name"}));

  // The ping line: the host, then the count.
  ping->on(L"PingHost").get(L"PC042"), ping->on(L"PingCount").get(int32_t{3}), ping->on(L"StartPing", 11).call(0);
  window.Command1_Click(1);
  const Lines pinged = bed.log->trace();
  EXPECT_LT(std::find(pinged.begin(), pinged.end(), L"get Ping1.PingHost"),
            std::find(pinged.begin(), pinged.end(), L"get Ping1.PingCount"));
}

// Writes dates its own way, so that a label shows whether the clock wrote it.
struct RegionalClock : fakes::FakeClock {
  std::wstring DateTimeText(Date date) override { return L"regional " + std::to_wstring(to_parts(date).day); }
};

TEST_F(SystemStagesTest, ConsoleAccountBeyondAToZAndTheTransitionDateInTheClocksForm) {
  auto sessions = bed.computer->sibling(L"LoggedOnUsers"), entry = bed.computer->sibling(L"Session");
  sessions->on(L"Count").get(int32_t{1});
  entry->on(L"Domain").get(L"SALES"), entry->on(L"Name").get(L"j\u00fcrgen");
  bed.computer->on(L"LoggedOnUsers").get(
      [=](std::span<Argument> args) { return Variant(DispatchPtr(args.empty() ? sessions : entry)); });
  state.ConsoleAccount = L"SALES\\J\u00dcRGEN";
  LogonSessionsStage(window, state);
  const forms::ListItem& row = form.get<forms::ListView>(L"ListView1", 2).list_items().item(1);
  EXPECT_EQ(row.text() + std::to_wstring(row.icon() * 100 + row.small_icon()), L"Interactive1111");

  RegionalClock regional;
  regional.zone.StandardDate = {0, 10, 0, 5, 3};
  component::Services services{bed.odbc, bed.tavisk, regional, bed.registry, nullptr};
  bed.env.services = &services;
  LocalTimeZoneStage(window, state);
  EXPECT_EQ(Label2(8).caption(), L"regional 25");
}

TEST_F(SystemStagesTest, UnreachableComputerIsShownOffLine) {
  bed.computer->on(L"GetServerInformation").call(53);
  bed.computer->on(L"IPAddr").get(L"Error = 2").let(0);
  bed.computer->on(L"MACAddr").get(L"").let(0);
  struct Case { const wchar_t* resolved; const wchar_t* mac; const wchar_t* addresses; bool wake; } cases[] = {
      {L"Error = 2", L"", L"N/A|N/A", false},
      {L"Error = 2", L"00-1A-2B-3C-4D-5E", L"N/A|N/A", true},
      {L"127.0.0.1", L"kept only when unresolved", L"127.0.0.1|pc042.sales.test", false},
  };
  for (const Case& c : cases) {
    state = LoadState{};
    ping->on(L"ResolveHost", 12).call(c.resolved);
    Label2(9).set_caption(c.mac);
    ReachabilityStage(window, state);
    OfflinePresentation(window, state);
    EXPECT_EQ(bed.computer->value(L"Reachable"), Variant(false));
    std::wstring shown;
    for (int index : {0, 1, 2, 3, 5, 6}) shown += (index ? L"|" : L"") + Label2(index).caption();
    EXPECT_EQ(shown, L"N/A|N/A|N/A|N/A|" + std::wstring(c.addresses));
    EXPECT_EQ(form.get<forms::CommandButton>(L"Command1", 2).enabled(), c.wake) << c.mac;
    EXPECT_EQ(form.get<forms::CheckBox>(L"chkActive", 1).value(), 0);
  }
  EXPECT_EQ(count_of(bed.log->trace(), L"call Ping1.ResolveHost(\"PC042\")"), 3);
}

TEST_F(SystemStagesTest, RemoteTimeAndDetails) {
  window.TimeZoneSuffix = L" (EST)";
  bed.domain_object->on(L"ThisComputerName").get(L"PC042");  // the console's own computer: the local time
  RemoteTimeStage(window, state);
  EXPECT_EQ(Label2(0).caption(), L"Sat Mar 14 09:30:00 2026 (EST)");

  // Oversized and odd values come through whole: a long description, every role bit.
  const std::wstring long_text(10000, L'd');
  for (auto [member, value] : {std::pair{L"Description", Variant(long_text)}, {L"PlatformId", int32_t{500}},
                               {L"VersionMajor", int32_t{4}}, {L"VersionMinor", int32_t{0}}, {L"PlatFormType", int32_t{-1}}})
    bed.computer->on(member).get(value);
  for (int32_t status : {5, 0}) {
    bed.computer->on(L"GetServerInformation").call(status);
    EXPECT_EQ(ComputerDetailsStage(window, state), status == 0);
    EXPECT_EQ(state.LoadStatus, status);
    EXPECT_EQ(Label2(2).caption(), status == 0 ? L"NT 4.0" : L"");
  }
  EXPECT_EQ(Label2(1).caption(), long_text);
  EXPECT_EQ(form.get<forms::ComboBox>(L"cmbTypes").list_count(), 23);
}

TEST_F(SystemStagesTest, RemoteTimeZoneDisplay) {
  window.TimeZoneSuffix = L" (EST)";
  struct Case { int32_t tz_bias, tz, local; const wchar_t* shown; int clicks; const wchar_t* after; } cases[] = {
      {300, 300, 300, L"10:15 (earlier)", 1, L"10:15  (EST)"},
      {300, 300, 300, L"10:15", 2, L"10:15  (EST)"},  // one local suffix however often
      {300, 300, 0, L"10:15", 2, L"10:15 TZ -> (GMT-05:00) TZ -> (GMT-05:00)"},
      {-60, -60, 0, L"10:15", 1, L"10:15 TZ -> (GMT+01:00)"}, {9999, 480, 0, L"10:15", 1, L"10:15 TZ -> (GMT-08:00)"},
      {9999, 0, 0, L"10:15", 1, L"10:15 TZ -> (GMT)"},
      {-330, -330, 0, L"10:15", 1, L"10:15 TZ -> (GMT+06:00)"},  // half hours round up
      {300, 300, 0, L"", 1, L""},  // no remote time shown and no "IPC$": nothing
  };
  for (const Case& c : cases) {
    bed.computer->on(L"TZBias").get(c.tz_bias);
    bed.computer->on(L"tz").get(c.tz);
    window.LocalTimeZone.Bias = c.local;
    Label2(0).set_caption(c.shown);
    for (int click = 0; click < c.clicks; ++click) ShowRemoteTimeZone(window);
    EXPECT_EQ(Label2(0).caption(), c.after) << c.tz_bias << "/" << c.tz;
  }
  // A failing host call still restores the caption and the pointer; the
  // console's own computer reads no zone.
  bed.domain_object->on(L"ThisDomainName").raise(Error(70, L"Permission denied"));
  EXPECT_THROW(ShowRemoteTimeZone(window), Error);
  EXPECT_EQ(form.caption(), L"SALES\\PC042");
  EXPECT_EQ(bed.ui.pointers().back(), 0);
  bed.domain_object->on(L"ThisDomainName").get(L"SALES");
  bed.domain_object->on(L"ThisComputerName").get(L"PC042");
  bed.log->clear();
  ShowRemoteTimeZone(window);
  EXPECT_EQ(count_of(bed.log->trace(), L"get Computer.TZBias"), 0);
}

// The Users tab over a fresh demo database, PC042 of SALES.
class UsersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = {};
    computer->on(L"Name").get([this](auto) { return name; });
    computer->on(L"Domain").get([this](auto) { return domain; });
    window.set_Computer(computer);
    db.ManagementConnection = bed.odbc.CreateConnection();
    db.ManagementConnection->set_ConnectionString(demo.connection_string());
    db.ManagementConnection->Open();
  }
  void TearDown() override { db = {}; }
  Lines rows() { return fakes::list_rows(window.form().get<forms::ListView>(L"ListView1", 2).list_items()); }
  // LoggedOnUsers answering Count, and entry i by position.
  void logged_on(std::vector<std::pair<std::wstring, std::wstring>> entries) {
    auto list = computer->sibling(L"LoggedOnUsers");
    list->on(L"Count").get(static_cast<int32_t>(entries.size()));
    computer->on(L"LoggedOnUsers").get([this, list, entries](std::span<Argument> args) -> Variant {
      if (args.empty()) return Variant(DispatchPtr(list));
      auto entry = computer->sibling(L"Entry");
      const auto& [domain, account] = entries.at(args[0].value.to_long() - 1);
      entry->on(L"Domain").get(domain), entry->on(L"Name").get(account);
      return Variant(DispatchPtr(entry));
    });
  }

  database::DemoDatabase demo;
  fakes::DetailsTestBed bed;
  std::shared_ptr<fakes::FakeDispatch>& computer = bed.computer;
  FrmComputerDetails window{bed.env};
  database::ManagementDatabase& db = database::management_database();
  LoadState state;
  std::wstring name = L"PC042", domain = L"SALES";
};

TEST_F(UsersTest, AssignedRowsOneAccountOneRowAndTheDescriptionRules) {
  demo.sql("INSERT INTO Users VALUES (105, 'plain', 1, ' Pat  ', '', NULL), (106, 'spaced', 1, 'Sam', ' 12 ', '  Lab ');"
           "INSERT INTO Users VALUES (107, 'gone', 1, 'Gina', '1', 'x');"
           "INSERT INTO Assignments VALUES (10, 1, 103), (11, 1, 103), (12, 1, 105), (13, 1, 106), (14, 1, 107);"
           "DROP VIEW qryUsers; CREATE VIEW qryUsers AS SELECT Account AS \"5x2\", userID, Name AS \"Users.Name\","
           " PhoneExt, Location, DomainID FROM Users WHERE userID <> 107");
  // Without assignments the region of ignored errors goes on past the stage.
  auto connection = std::exchange(db.ManagementConnection, nullptr);
  AssignedUsersStage(window, state);
  EXPECT_TRUE(state.ignoring_errors && rows().empty() && !db.AssignmentsRecordset);
  db.ManagementConnection = connection;
  AssignedUsersStage(window, state);
  EXPECT_FALSE(state.ignoring_errors);
  // The null account of assignment 3 adds nothing; kiosk twice is one row; an
  // account without a qryUsers row keeps no tag or description.
  EXPECT_EQ(rows(), (std::vector<std::wstring>{
                        L"SALES\\jdoe|Assigned|SALES\\jdoe|John Doe (4711) - Front desk|101|6,6",
                        L"SALES\\asmith|Assigned|SALES\\asmith|Anna Smith|102|6,6",
                        L"SALES\\kiosk|Assigned|SALES\\kiosk|Sales kiosk - Showroom|103|6,6",
                        L"SALES\\plain|Assigned|SALES\\plain|Pat|105|6,6",
                        L"SALES\\spaced|Assigned|SALES\\spaced|Sam (12) - Lab|106|6,6",
                        L"SALES\\gone|Assigned|SALES\\gone|||6,6"}));
}

TEST_F(UsersTest, SessionsTakeOverAssignedRowsAndMarkTheConsoleWithoutRegardToCase) {
  computer->on(L"GetUsers").call(4);
  AssignedUsersStage(window, state);
  LoggedOnUsersStage(window, state);
  EXPECT_EQ(state.HostText + std::to_wstring(state.UsersStatus), L"\\\\PC0424");
  state.LoadStatus = 1, state.ConsoleAccount = L"sales\\JDOE";
  logged_on({{L"SALES", L"jdoe"}, {L"SALES", L"guest"}, {L"SALES", L"asmith"}});
  bed.log->clear();
  LogonSessionsStage(window, state);
  EXPECT_EQ(rows(), (std::vector<std::wstring>{
                        L"SALES\\jdoe|Interactive|SALES\\jdoe|John Doe (4711) - Front desk||11,11",
                        L"SALES\\asmith|Logon Session|SALES\\asmith|Anna Smith||9,9",
                        L"SALES\\guest|Logon Session|SALES\\guest|||9,9"}));
  EXPECT_EQ(window.form().caption(), L"SALES\\PC042 -> Getting Loggon Sessions ...");
  EXPECT_EQ(fakes::count_of(bed.log->trace(), L"get Computer.Domain"), 3);
  EXPECT_EQ(fakes::count_of(bed.log->trace(), L"get Computer.LoggedOnUsers(3)"), 1);
}

TEST_F(UsersTest, SessionsRunOnlyWhenTheStatusesAllowAndThereAreEntries) {
  struct Case { int32_t users_status, load_status; size_t entries; bool asked, caption; };
  for (const Case& c : {Case{5, 1, 1, true, true}, Case{5, 0, 1, false, false}, Case{0, 0, 0, true, false}}) {
    SCOPED_TRACE(c.users_status * 100 + c.load_status * 10 + static_cast<int>(c.entries));
    window.form().set_caption(L"before");
    logged_on(std::vector<std::pair<std::wstring, std::wstring>>(c.entries, {L"SALES", L"x"}));
    bed.log->clear(), state.UsersStatus = c.users_status, state.LoadStatus = c.load_status;
    LogonSessionsStage(window, state);
    EXPECT_EQ(fakes::count_of(bed.log->trace(), L"get Computer.LoggedOnUsers"), c.asked);
    EXPECT_EQ(window.form().caption() != L"before", c.caption);
  }
}

TEST_F(UsersTest, ConsoleAccountFromTheMruValueElseFromTavisk) {
  using Answers = std::vector<fakes::FakeTavisk::Answer>;
  struct Case { const wchar_t* mru; Answers answers; int calls; int32_t status; std::wstring console; };
  const std::wstring long_account(200, L'c');
  const Case cases[] = {
      {L"  SALES\\jdoe ", {}, 0, 53, L"SALES\\jdoe"},
      {L"", {{0, L"jdoe", std::wstring(L"SALES\\jdoe\0junk", 15)}}, 1, 0, L"SALES\\jdoe"},
      {L"   ", {{5, L"", L""}, {7, L"jdoe", L"SALES\\jdoe"}}, 2, 7, L"SALES\\jdoe"},
      {L"", {{5, L"", L""}, {6, L"", L""}, {8, L"jdoe", L"x"}}, 2, 6, L""},
      {L"", {{0, L"c", long_account}}, 1, 0, long_account.substr(0, 50)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mru);
    computer->on(L"GetRegistryValue").call(c.mru);
    bed.tavisk.calls.clear(), bed.tavisk.answers = c.answers, bed.log->clear();
    state.LoadStatus = 53, state.HostText = L"\\\\PC042";
    InteractiveUserStage(window, state);
    EXPECT_EQ(bed.log->trace().at(0),
              L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Vyx\\GINA\\MRU\", \"ConsoleUser\", \"\")");
    EXPECT_EQ(bed.tavisk.calls, std::vector<std::wstring>(c.calls, L"NetGetInteractiveUser \\\\PC042"));
    EXPECT_EQ(state.LoadStatus, c.status);
    EXPECT_EQ(state.ConsoleAccount, c.console);
  }
}

using namespace database;

using Prompts = std::vector<fakes::Prompt>;
using Row = std::map<std::wstring, Variant>;

const Error kNoDsn(-2147467259, L"Data source name not found and no default driver specified");
const std::wstring kPleaseCorrect = L"\r\n\r\nPlease correct the Larkspan DSN in the Registry and restart.";
const std::wstring kQuestion =
    L"There was a connect error to the Larkspans Database.  It is most likely a UserID issue.  "
    L"Do you want to edit the connect string?";

// A recordset, a connection and their factory that log every call with an
// effect, in order.
struct Logged {
  std::shared_ptr<Lines> log;
  void note(const std::wstring& what) { log->push_back(what); }
};

class FakeRecordset : public Recordset, Logged {
 public:
  struct FakeField : Field {
    FakeField(FakeRecordset& rs, std::wstring name) : rs(rs), name(std::move(name)) {}
    const std::wstring& Name() const override { return name; }
    Variant Value() const override { return rs.rows.at(0).at(name); }
    void set_Value(Variant v) override { rs.note(L"Recordset." + name + L" = " + v.to_text()), rs.rows[0][name] = v; }
    FakeRecordset& rs;
    std::wstring name;
  };
  FakeRecordset(std::shared_ptr<Lines> log, std::vector<Row> rows) : Logged{std::move(log)}, rows(std::move(rows)) {}
  std::vector<Row> rows;
  std::optional<Error> open_error, update_error;
  int32_t state = kAdStateClosed;

  void set_ActiveConnection(std::shared_ptr<Connection> c) override {
    note(std::wstring(L"Recordset.ActiveConnection = ") + (c ? L"Connection" : L"Nothing"));
  }
  int32_t CursorLocation() const override { return 0; }
  int32_t CursorType() const override { return 0; }
  int32_t LockType() const override { return 0; }
  void set_CursorLocation(int32_t v) override { note(L"Recordset.CursorLocation = " + std::to_wstring(v)); }
  void set_CursorType(int32_t v) override { note(L"Recordset.CursorType = " + std::to_wstring(v)); }
  void set_LockType(int32_t v) override { note(L"Recordset.LockType = " + std::to_wstring(v)); }
  const std::wstring& Source() const override { return source_; }
  void set_Source(std::wstring s) override { note(L"Recordset.Source = " + (source_ = std::move(s))); }
  void Open() override {
    if (note(L"Recordset.Open"), open_error) throw *open_error;
    state = kAdStateOpen;
  }
  int32_t State() const override { return state; }
  int32_t RecordCount() const override { return static_cast<int32_t>(rows.size()); }
  void Close() override { note(L"Recordset.Close"), state = kAdStateClosed; }
  void Update() override {
    if (note(L"Recordset.Update"), update_error) throw *update_error;
  }
  void MoveFirst() override {}
  void MoveNext() override {}
  void FindFirst(std::wstring_view) override {}
  bool EOF() const override { return rows.empty(); }
  bool NoMatch() const override { return true; }
  Field& Fields(std::wstring_view name) override { return fields_.emplace_back(*this, std::wstring(name)); }

 private:
  std::wstring source_;
  std::deque<FakeField> fields_;
};

class FakeConnection : public Connection, Logged {
 public:
  explicit FakeConnection(std::shared_ptr<Lines> log) : Logged{std::move(log)} {}
  std::deque<Error> open_errors;  // the next Open calls fail with these
  int32_t state = kAdStateClosed;

  int32_t CursorLocation() const override { return 0; }
  void set_CursorLocation(int32_t v) override { note(L"Connection.CursorLocation = " + std::to_wstring(v)); }
  const std::wstring& ConnectionString() const override { return text_; }
  void set_ConnectionString(std::wstring t) override { note(L"Connection.ConnectionString = " + (text_ = t)); }
  void Open() override {
    if (note(L"Connection.Open"), open_errors.empty()) return void(state = kAdStateOpen);
    const Error e = open_errors.front();
    open_errors.pop_front();
    throw e;
  }
  void Close() override { note(L"Connection.Close"), state = kAdStateClosed; }
  int32_t State() const override { return state; }
  std::shared_ptr<Recordset> OpenRecordset(std::wstring_view) override { return nullptr; }

 private:
  std::wstring text_;
};

struct FakeObjects : DatabaseObjects, Logged {
  explicit FakeObjects(std::shared_ptr<Lines> log) : Logged{std::move(log)} {}
  std::shared_ptr<FakeConnection> connection = std::make_shared<FakeConnection>(log);
  std::shared_ptr<FakeRecordset> recordset;
  std::optional<Error> recordset_error;
  std::shared_ptr<Connection> CreateConnection() override {
    return note(L"CreateObject(ADODB.Connection)"), connection;
  }
  std::shared_ptr<Recordset> CreateRecordset() override {
    if (note(L"CreateObject(ADODB.Recordset)"), recordset_error) throw *recordset_error;
    return std::exchange(recordset, nullptr);
  }
};

// The product's details window (its chkActive(0) writes back through
// StoreActive) over a fresh library state of this thread.
class StageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = {};
    computer->on(L"Name").get(L"PC042"), computer->on(L"Domain").get(L"SALES");
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
  std::shared_ptr<FakeConnection>& connection = objects.connection;
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

TEST_F(StageTest, FailuresAreIgnoredOnlyWithAConnectStringAndAFailedCreationIsReported) {
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

  // GetRecordset reports a failed creation.
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
