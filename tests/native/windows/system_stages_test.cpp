#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "database/demo_db.h"
#include "database/management_database.h"
#include "details/system_stages.h"
#include "details/time_zone.h"
#include "details/users.h"
#include "details_fakes.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/host_control.h"
#include "forms/label.h"
#include "forms/list_view.h"

namespace pendrel::details {
namespace {

using fakes::count_of;
using Lines = std::vector<std::wstring>;

class SystemStagesTest : public ::testing::Test {
 protected:
  SystemStagesTest() {
    for (auto [member, text] : {std::pair{L"Name", L"PC042"}, {L"Domain", L"SALES"}}) bed.computer->on(member).get(text);
    bed.computer->property(L"Reachable", false);
    bed.domain_object->on(L"ThisComputerName").get(L"CONSOLE1");
    bed.domain_object->on(L"ThisDomainName").get(L"SALES");
    for (auto [member, id] : {std::pair{L"PingHost", 6}, {L"PingCount", 5}, {L"PingSetting", 2}}) ping->on(member, id).let(0);
    ping->on(L"PingAddress", 7).get(L"127.0.0.1");
    ping->on(L"PingFullName", 8).get(L"pc042.sales.test");
    window.set_DomainObject(bed.domain_object);
    window.set_Computer(bed.computer);
    form.get<forms::HostControl>(L"Ping1").set_object(ping);
    bed.log->clear();
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

}  // namespace
}  // namespace pendrel::details
